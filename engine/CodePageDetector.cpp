#include "engine/CodePageDetector.h"

#include "engine/CodePages.h"

#include <QSet>
#include <QStringList>
#include <algorithm>
#include <climits>

namespace CodePageDetector {

namespace {

using CodePages::CodePage;

// The commonest letters of the alphabets a reading may land in (lower case):
// a real name is made of them, a misread one of rarer letters.
constexpr char16_t kFrequentLetters[] = u"оеаинтсрвлкмдпуяіы" u"αοιετσνηυρπκμλάέήίόύώς"
                                        u"יוהלאמרתבנשכםע" u"اليمونرتبهدعسفقك" u"éèàñüöäçóáíúßãışğčšžě";
// Common Hangul syllables and Han characters (simplified, traditional and
// Japanese forms), with the words of file names: a misread name hits few.
constexpr char16_t kFrequentHangul[]
    = u"이다는의에가을를하고서지기도로한사으자리어정대인보수일시나부전상제주문해그구것국장내면아화동성있회없되"
      u"우원소마경관들세신만게라여요물방연습생과작적분위오니업계유말중실체미진공안선조명비용모저무등재발거식교"
      u"운개학양영행치료본월년표목록자료사진파일새폴더보고서계획회의결과최종수정버전백업설치프로그램문서";
constexpr char16_t kFrequentHan[]
    = u"的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着去之过家学对可她里后小"
      u"么心多天而能好都然没日于起还发成事只作当想看文无开手十用主行方又如前所本见经头面公同三已老从动两长知民"
      u"样现分将外但身些与高意进把法此实回二理美点月明其种声全工己话儿者向情部正名定女问力机给等几很业最间新什"
      u"打便位因重被走电四第门相次东政海口使教西再平真听世气信北少关并内加化由却代军产入先山五太水万市眼体别处"
      u"总才场师书比住员九笑性通目华报立马命张活难神数件安表原车白应路期叫死常提感金何更反合放做系计或司利受光"
      u"王果亲界及今京务制解各任至清物台象记边共风战干接它许八特觉望直服毛林题建南度统色字请交爱让认算论百吃义"
      u"科怎元社术结六功指思非流每青管夫连远资队跟带花快条院变联言权往展该领传近留红治决周保达办运武半候七必城"
      u"父强步完革深区即求品士转量空众技轻程告江语英基派满式李息写识极令黄德收脸钱党倒未持取设始版双历越史商千"
      u"片容研像找友孩站广改议形委早房音火际则首单据导影失拿网香似斯专石若兵弟谁校读志飞观争究包组造落视济喜离"
      u"虽坏兴切支料图照夹录档备份试验测册说明书项目会议纪要报告汇总合同简历作业课件素材视频音乐歌曲相册"
      u"這個們來國說時會過對後麼發當經頭見動兩長樣現將從與進實點種聲話問機給幾業間內產軍萬別處總場師書員華報馬"
      u"張難數車應與嗎區電門東視資圖檔夾錄備測試驗冊說項會議紀報彙總簡歷課樂歌曲冊設計劃結決傳統廣議題讀寫調"
      u"資料写真画像新規作成議事録説明書手順仕様見積請求案内申込届変更版添付画面図表帳簿社員営業売上経費";

template <size_t N>
QSet<char16_t> setOf(const char16_t (&text)[N])
{
    QSet<char16_t> set;
    for (size_t i = 0; i + 1 < N; ++i)
        set.insert(text[i]);
    return set;
}

bool isKana(char16_t u)
{
    return (u >= 0x3041 && u <= 0x30FF);
}

bool isHan(char16_t u)
{
    return (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0xF900 && u <= 0xFAFF);
}

bool isHangul(char16_t u)
{
    return u >= 0xAC00 && u <= 0xD7A3;
}

bool isCjk(char16_t u)
{
    return isKana(u) || isHan(u) || isHangul(u);
}

// How common a double-byte code is by where its code page puts it: the
// first level of the national sets holds the everyday characters, the
// extensions the rare ones. 1, 0 or -1.
int tier(int codePage, uchar lead, uchar trail)
{
    const int code = lead << 8 | trail;
    switch (codePage) {
    case 932:
        return code >= 0x889F && code <= 0x9872 ? 1 : code >= 0x989F && code <= 0xEAA4 ? 0 : -1;
    case 936:
        return trail < 0xA1 ? -1 : lead >= 0xB0 && lead <= 0xD7 ? 1 : lead >= 0xD8 && lead <= 0xF7 ? 0 : -1;
    case 949:
        return trail < 0xA1 ? -1 : lead >= 0xB0 && lead <= 0xC8 ? 1 : lead >= 0xCA && lead <= 0xFD ? 0 : -1;
    case 950:
        return code >= 0xA440 && code <= 0xC67E ? 1 : code >= 0xC940 && code <= 0xF9D5 ? 0 : -1;
    default:
        return 0;
    }
}

// One character of a reading with the bytes it came from.
struct Unit {
    QChar c;
    int tier = 0;
    int bytes = 1;
};

int charScore(const Unit &unit)
{
    static const QSet<char16_t> letters = setOf(kFrequentLetters);
    static const QSet<char16_t> hangul = setOf(kFrequentHangul);
    static const QSet<char16_t> han = setOf(kFrequentHan);
    const char16_t u = unit.c.unicode();
    if (isKana(u))
        return 4;
    if (isHan(u))
        return han.contains(u) ? 4 : unit.tier * 2;
    if (isHangul(u))
        return hangul.contains(u) ? 4 : unit.tier * 2;
    // What double-byte text reads as, one byte at a time, in Shift JIS.
    if (u >= 0xFF61 && u <= 0xFF9F)
        return -1;
    if (u >= 0x2500 && u <= 0x259F)
        return -4;
    // Letters by category that are signs in a name: carons and breves
    // alone, the florin; ordinals and micro are no words either.
    if (unit.c.category() == QChar::Letter_Modifier || u == 0x0192)
        return -2;
    // Icelandic letters are what Turkish reads as in the Western code pages.
    if (u == 0x00AA || u == 0x00BA || u == 0x00B5 || QStringView(u"ðþÐÞ").contains(unit.c))
        return 0;
    if (unit.c.isLetter())
        return letters.contains(unit.c.toLower().unicode()) ? 2 : 1;
    if (unit.c.isMark())
        return 1;
    // CJK punctuation and full-width forms, found in real names.
    if ((u >= 0x3000 && u <= 0x303F) || (u >= 0xFF01 && u <= 0xFF5E))
        return 0;
    switch (unit.c.category()) {
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
        return -1;
    default:
        return u == 0x2116 ? -1 : -2;   // № is at home in Cyrillic names
    }
}

// A word of a reading: letters and marks between anything else.
int wordScore(const Unit *begin, const Unit *end)
{
    int score = 0;
    int asciiLetters = 0;
    int latinNonAscii = 0;
    int letters = 0;
    int nonAscii = 0;
    int caseBreaks = 0;
    int cjkUnits = 0;
    bool kana = false;
    bool hangul = false;
    bool cjk = false;
    QSet<QChar::Script> scripts;
    for (const Unit *unit = begin; unit != end; ++unit) {
        const QChar c = unit->c;
        const char16_t u = c.unicode();
        if (unit != begin && c.isUpper() && unit[-1].c.isLower())
            ++caseBreaks;
        if (c.isLetter())
            ++letters;
        if (u < 0x80) {
            asciiLetters += c.isLetter();
            continue;
        }
        ++nonAscii;
        score += (unit == begin && c.isMark()) ? -2 : charScore(*unit);
        kana = kana || isKana(u);
        hangul = hangul || isHangul(u);
        cjk = cjk || isCjk(u);
        cjkUnits += isCjk(u);
        if (isCjk(u) || !c.isLetter())
            continue;
        const QChar::Script script = c.script();
        if (script == QChar::Script_Latin || script == QChar::Script_Common)
            ++latinNonAscii;
        else
            scripts.insert(script);
    }
    if (nonAscii == 0)
        return 0;
    // One script to a word (Han goes with kana or Hangul, and any with ASCII);
    // a Latin word has some plain letter: one all accents is another script misread.
    const bool mixed = scripts.size() > 1 || (!scripts.isEmpty() && (asciiLetters > 0 || latinNonAscii > 0))
        || (kana && hangul) || (!scripts.isEmpty() && cjk);
    const bool accentsOnly = scripts.isEmpty() && !cjk && letters >= 3 && asciiLetters == 0;
    if (mixed || accentsOnly)
        return -2 * nonAscii;
    // One Han or Hangul inside a Latin word is more often an accent misread.
    if (cjkUnits == 1 && asciiLetters > 0)
        return std::min(score, 0);
    return score - 3 * caseBreaks;
}

std::vector<Unit> units(const CodePage &codePage, QByteArrayView name, const QString &text)
{
    std::vector<Unit> result;
    result.reserve(size_t(name.size()));
    for (qsizetype i = 0; i < name.size(); ++i) {
        const uchar b = uchar(name[i]);
        const uchar *leads = codePage.leads;
        const bool lead = codePage.isDoubleByte() && i + 1 < name.size()
            && ((b >= leads[0] && b <= leads[1]) || (b >= leads[2] && b <= leads[3]));
        result.push_back({QChar(), lead ? tier(codePage.number, b, uchar(name[i + 1])) : 0, lead ? 2 : 1});
        i += lead;
    }
    // Each unit is one character in these code pages; should a converter
    // differ, the characters are judged without their bytes.
    if (result.size() != size_t(text.size()))
        result.assign(size_t(text.size()), Unit{});
    for (size_t i = 0; i < result.size(); ++i)
        result[i].c = text[qsizetype(i)];
    return result;
}

int readingScore(const std::vector<Unit> &reading)
{
    int score = 0;
    const Unit *const end = reading.data() + reading.size();
    for (const Unit *unit = reading.data(); unit != end;) {
        const auto inWord = [](const Unit &u) { return u.c.isLetter() || u.c.isMark(); };
        if (!inWord(*unit)) {
            if (unit->c.unicode() >= 0x80)
                score += charScore(*unit);
            ++unit;
            continue;
        }
        const Unit *wordEnd = unit;
        while (wordEnd != end && inWord(*wordEnd))
            ++wordEnd;
        score += wordScore(unit, wordEnd);
        unit = wordEnd;
    }
    return score;
}

bool speaks(const CodePage &codePage, const QString &language)
{
    const QStringList languages = QString::fromLatin1(codePage.languages).split(QLatin1Char(' '));
    return languages.contains(language) || languages.contains(language.section(QLatin1Char('_'), 0, 0));
}

} // namespace

int score(const std::vector<QByteArray> &names, int number)
{
    const CodePage *codePage = CodePages::find(number);
    if (!codePage)
        return INT_MIN;
    int total = 0;
    for (const QByteArray &name : names) {
        const std::optional<QString> text = CodePages::decode(*codePage, name);
        if (!text)
            return INT_MIN;
        total += readingScore(units(*codePage, name, *text));
    }
    return total;
}

int detect(const std::vector<QByteArray> &names, const QString &language)
{
    int best = 0;
    int bestScore = INT_MIN;
    bool bestSpoken = false;
    for (const CodePage &codePage : CodePages::all()) {
        const int s = score(names, codePage.number);
        if (s == INT_MIN)
            continue;
        const bool spoken = speaks(codePage, language);
        if (s > bestScore || (s == bestScore && spoken && !bestSpoken)) {
            best = codePage.number;
            bestScore = s;
            bestSpoken = spoken;
        }
    }
    return best;
}

}
