#include "engine/CodePages.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <array>

namespace CodePages {

namespace {

// DOS first, as most old ZIP makers wrote the console's code page, and
// Western before the others; in a tie, the earlier wins unless the user's
// language says otherwise.
constexpr std::array kCodePages{
    CodePage{437, "IBM437", QT_TRANSLATE_NOOP("CodePages", "Western (DOS 437)"), "en", {}},
    CodePage{850, "IBM850", QT_TRANSLATE_NOOP("CodePages", "Western European (DOS 850)"),
             "de fr es it pt nl da sv nb nn no fi is ca", {}},
    CodePage{852, "IBM852", QT_TRANSLATE_NOOP("CodePages", "Central European (DOS 852)"), "pl cs sk hu sl hr ro", {}},
    CodePage{855, "IBM855", QT_TRANSLATE_NOOP("CodePages", "Cyrillic (DOS 855)"), "sr mk", {}},
    CodePage{857, "IBM857", QT_TRANSLATE_NOOP("CodePages", "Turkish (DOS 857)"), "tr", {}},
    CodePage{862, "IBM862", QT_TRANSLATE_NOOP("CodePages", "Hebrew (DOS 862)"), "he", {}},
    CodePage{866, "IBM866", QT_TRANSLATE_NOOP("CodePages", "Cyrillic (DOS 866)"), "ru uk be kk", {}},
    CodePage{737, "IBM737", QT_TRANSLATE_NOOP("CodePages", "Greek (DOS 737)"), "el", {}},
    CodePage{775, "IBM775", QT_TRANSLATE_NOOP("CodePages", "Baltic (DOS 775)"), "lt lv et", {}},
    CodePage{874, "windows-874", QT_TRANSLATE_NOOP("CodePages", "Thai (Windows 874)"), "th", {}},
    CodePage{932, "windows-31j", QT_TRANSLATE_NOOP("CodePages", "Japanese (Shift JIS)"), "ja", {0x81, 0x9F, 0xE0, 0xFC}},
    CodePage{936, "GBK", QT_TRANSLATE_NOOP("CodePages", "Chinese Simplified (GBK)"), "zh_CN zh_SG zh", {0x81, 0xFE, 0x81, 0xFE}},
    CodePage{949, "windows-949", QT_TRANSLATE_NOOP("CodePages", "Korean (Windows 949)"), "ko", {0x81, 0xFE, 0x81, 0xFE}},
    CodePage{950, "windows-950", QT_TRANSLATE_NOOP("CodePages", "Chinese Traditional (Big5)"), "zh_TW zh_HK", {0x81, 0xFE, 0x81, 0xFE}},
    CodePage{1252, "windows-1252", QT_TRANSLATE_NOOP("CodePages", "Western (Windows 1252)"), "en de fr es it pt nl da sv", {}},
    CodePage{1250, "windows-1250", QT_TRANSLATE_NOOP("CodePages", "Central European (Windows 1250)"), "pl cs sk hu sl hr ro", {}},
    CodePage{1251, "windows-1251", QT_TRANSLATE_NOOP("CodePages", "Cyrillic (Windows 1251)"), "ru uk be bg sr mk", {}},
    CodePage{1253, "windows-1253", QT_TRANSLATE_NOOP("CodePages", "Greek (Windows 1253)"), "el", {}},
    CodePage{1254, "windows-1254", QT_TRANSLATE_NOOP("CodePages", "Turkish (Windows 1254)"), "tr", {}},
    CodePage{1255, "windows-1255", QT_TRANSLATE_NOOP("CodePages", "Hebrew (Windows 1255)"), "he", {}},
    CodePage{1256, "windows-1256", QT_TRANSLATE_NOOP("CodePages", "Arabic (Windows 1256)"), "ar fa ur", {}},
    CodePage{1257, "windows-1257", QT_TRANSLATE_NOOP("CodePages", "Baltic (Windows 1257)"), "lt lv et", {}},
    CodePage{1258, "windows-1258", QT_TRANSLATE_NOOP("CodePages", "Vietnamese (Windows 1258)"), "vi", {}},
};

bool unusable(QChar c)
{
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Other_Surrogate:
        return true;
    default:
        return c == QChar::ReplacementCharacter;
    }
}

} // namespace

std::span<const CodePage> all()
{
    return kCodePages;
}

const CodePage *find(int number)
{
    for (const CodePage &codePage : kCodePages) {
        if (codePage.number == number)
            return &codePage;
    }
    return nullptr;
}

QString label(const CodePage &codePage)
{
    return QCoreApplication::translate("CodePages", codePage.label);
}

std::optional<QString> decode(const CodePage &codePage, QByteArrayView bytes)
{
    QStringDecoder decoder(codePage.decoder, QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    // ASCII controls stay what they were; others mean a byte outside the code page.
    for (const QChar c : text) {
        if (c.unicode() >= 0x80 && unusable(c))
            return std::nullopt;
    }
    return text;
}

}
