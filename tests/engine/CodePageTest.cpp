// ZIPs whose names an old Windows program stored in its code page (no UTF-8
// flag), written by Python's zipfile and read back through the tool.
#include "../TestSupport.h"
#include "engine/CodePageDetector.h"
#include "engine/OperationJob.h"
#include "engine/PathScreen.h"

#include <filesystem>

using namespace test_support;

class CodePageTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static Outcome run(OperationRequest request)
    {
        OperationJob job;
        return ArchiveEngine(kResources).execute(request, job);
    }

    static QStringList sorted(QStringList names)
    {
        for (QString &name : names) {
            if (name.endsWith('/'))
                name.chop(1);
        }
        return names.sort(), names;
    }

private slots:
    void initTestCase()
    {
        QDir().mkpath(m_dir.filePath("run"));
        QFile::setPermissions(m_dir.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.filePath("run")));
    }

    // The listing shows the names as written, from the one code page that
    // reads them all; docs/zip-code-pages.md has the detector's choices.
    void listsNamesAsWritten_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("Russian, DOS") << "cp866" << QStringList{"Документы/", "Документы/Отчёт за год.doc", "Привет.txt", "Письмо №5.txt"};
        QTest::newRow("Russian, Windows") << "cp1251" << QStringList{"Документы/", "Договор поставки.docx", "Счёт-фактура.pdf"};
        QTest::newRow("Japanese") << "cp932" << QStringList{"資料/", "資料/会議の議事録.txt", "写真.jpg", "データ一覧.csv"};
        QTest::newRow("Chinese, GBK") << "gbk" << QStringList{"文件夹/", "文件夹/会议记录.doc", "照片.jpg", "新建文本文档.txt"};
        QTest::newRow("Chinese, Big5") << "cp950" << QStringList{"資料夾/", "會議記錄.doc", "照片.jpg", "新增文字文件.txt"};
        QTest::newRow("Korean") << "cp949" << QStringList{"문서/", "문서/회의록.hwp", "사진.jpg", "새 폴더/"};
        QTest::newRow("Greek") << "cp737" << QStringList{"Έγγραφα/", "Έγγραφα/Αναφορά.doc", "Φωτογραφίες.jpg", "Σημειώσεις.txt"};
        QTest::newRow("Hebrew") << "cp862" << QStringList{"מסמכים/", "מסמכים/דוח שנתי.doc", "תמונות.jpg"};
        QTest::newRow("Western, 437") << "cp437" << QStringList{"Résumé.doc", "Über uns.txt", "Façade.jpg"};
        QTest::newRow("Western, 850") << "cp850" << QStringList{"Größe.txt", "Øresund.jpg", "São Paulo.doc"};
        QTest::newRow("850 reading as 437 too") << "cp850" << QStringList{"Müller.txt", "Straße.doc"};
        QTest::newRow("Western, Windows") << "cp1252" << QStringList{"Größe.txt", "Éléments.doc", "Café crème.jpg"};
        QTest::newRow("Central European") << "cp852" << QStringList{"Łódź.jpg", "Zażółć gęślą.txt", "Příliš.doc"};
        QTest::newRow("Polish, Windows") << "cp1250" << QStringList{"Zdjęcia/", "Sprawozdanie roczne.doc", "Łódź.jpg"};
        QTest::newRow("Turkish, Windows") << "cp1254" << QStringList{"Belgeler/", "Çalışma raporu.doc", "Şirket bilgisi.txt"};
        QTest::newRow("Arabic") << "cp1256" << QStringList{"المستندات/", "تقرير سنوي.doc", "صور.jpg"};
        QTest::newRow("Thai") << "cp874" << QStringList{"เอกสาร/", "รายงานประจำปี.doc", "รูปภาพ.jpg"};
        QTest::newRow("Spanish, a lead byte in Big5") << "cp850" << QStringList{"Año nuevo.doc", "Niño.jpg"};
        QTest::newRow("one short name") << "cp866" << QStringList{"Мир.txt"};
        QTest::newRow("ASCII and one accent") << "cp850" << QStringList{"readme.txt", "setup.exe", "Café.txt"};
        QTest::newRow("Shift JIS byte that is \\") << "cp932" << QStringList{"ソフト.txt", "表示.txt", "能力.doc"};
    }
    void listsNamesAsWritten()
    {
        QFETCH(QString, codec);
        QFETCH(QStringList, names);
        const QString zip = m_dir.filePath(QTest::currentDataTag() + QStringLiteral(".zip"));
        QVERIFY(makeCodePageZip(zip, codec, names));
        OperationRequest request;
        request.archive = zip;
        const Outcome outcome = run(request);
        QVERIFY(outcome.succeeded() && outcome.screening);
        QCOMPARE(sortedPaths(outcome.entries), sorted(names));
        qInfo("%s: %d", QTest::currentDataTag(), outcome.screening->names.detected());
    }

    // Latvian and Lithuanian letters read as well in other Latin code pages: the user's language decides.
    void languageBreaksTies()
    {
        const std::vector<QByteArray> latvian{"P\xe2rskats.doc", "Fotogr\xe2" "fijas"};
        QCOMPARE(CodePageDetector::detect(latvian, "lv_LV"), 1257);
        QCOMPARE(CodePageDetector::detect(latvian, "C"), 1252);
    }

    // Everything that writes, writes the names as listed: the archive, the
    // chosen members (a folder taking what is in it), a preview.
    void writesNamesAsListed()
    {
        const QString zip = m_dir.filePath("write.zip");
        QVERIFY(makeCodePageZip(zip, "cp866", {"Документы/", "Документы/Отчёт.doc", "Привет.txt", "plain.txt"}));
        OperationRequest request;
        request.kind = OperationKind::Extract, request.archive = zip, request.destination = m_dir.filePath("all");
        QVERIFY(run(request).succeeded());
        QCOMPARE(tree(request.destination), QStringList({"plain.txt", "Документы", "Документы/Отчёт.doc", "Привет.txt"}));
        QCOMPARE(readFile(request.destination + "/Документы/Отчёт.doc"), QByteArray("Документы/Отчёт.doc"));

        request.destination = m_dir.filePath("some"), request.members = {"Документы", "plain.txt"};
        QVERIFY(run(request).succeeded());
        QCOMPARE(tree(request.destination), QStringList({"plain.txt", "Документы", "Документы/Отчёт.doc"}));

        // Shift JIS puts a 0x5C byte in both names: the tool writes it as part of the name.
        QVERIFY(makeCodePageZip(request.archive = m_dir.filePath("sjis.zip"), "cp932", {"ソフト/表示.txt"}));
        request.destination = m_dir.filePath("sjis"), request.members.clear();
        QVERIFY(run(request).succeeded());
        QCOMPARE(tree(request.destination), QStringList({"ソフト", "ソフト/表示.txt"}));

        // A member that has the decoded name already (in UTF-8) keeps it: the decoded one never replaces it.
        QVERIFY(makeCodePageZip(request.archive = m_dir.filePath("twice.zip"), "cp866", {"Привет.txt"})
                && writeFile(m_dir.filePath("mine/Привет.txt"), "mine")
                && makeZip(request.archive, m_dir.filePath("mine"), {"Привет.txt"}));
        request.destination = m_dir.filePath("twice");
        QVERIFY(run(request).succeeded());
        QCOMPARE(readFile(request.destination + "/Привет.txt"), QByteArray("mine"));
        std::filesystem::remove_all(QFile::encodeName(request.destination).constData());   // QDir cannot: a name not UTF-8

        request.archive = zip, request.kind = OperationKind::Preview, request.members = {"Привет.txt"};
        const Outcome preview = run(request);
        QVERIFY(preview.succeeded() && preview.path.endsWith("/Привет.txt"));
        QCOMPARE(readFile(preview.path), QByteArray("Привет.txt"));
    }

    // A code page the user chose holds over the detector's, which stays known.
    void chosenCodePageHolds()
    {
        const QString zip = m_dir.filePath("chosen.zip");
        QVERIFY(makeCodePageZip(zip, "cp866", {"Привет.txt"}));
        OperationRequest request;
        request.archive = zip, request.codePage = 1251;
        const Outcome outcome = run(request);
        QVERIFY(outcome.succeeded() && outcome.screening);
        QCOMPARE(outcome.screening->names.codePage(), 1251);
        QCOMPARE(outcome.screening->names.detected(), 866);
        QCOMPARE(outcome.entries.at(0).path(), QString("ЏаЁўҐв.txt"));
    }

    // A decoded name is screened as decoded and as the tool has it.
    void screensDecodedNames_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<bool>("refused");
        QTest::newRow("trail byte 0x5C") << QByteArray("\x95\x5c\x8e\xa6.txt") << 932 << false;
        QTest::newRow("lone backslash") << QByteArray("\x8e\x91\x97\xbf\\x.txt") << 932 << true;
        QTest::newRow("control character") << QByteArray("\x8f\xe0\x01.txt") << 866 << true;
        QTest::newRow("parent folder") << QByteArray("../\x8f\xe0.txt") << 866 << true;
        QTest::newRow("plain decoded") << QByteArray("a/\x8f\xe0.txt") << 866 << false;
    }
    void screensDecodedNames()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, codePage);
        QFETCH(bool, refused);
        std::vector<ArchiveEntry> entries{ArchiveEntry::fromUtf8(stored, "1", "1", "", {.codePageName = true})};
        const NameRecovery names = NameRecovery::apply(entries, codePage, "C");
        QCOMPARE(names.codePage(), codePage);
        QCOMPARE(!PathScreen::screen(entries, names).passed(), refused);
    }
};

QTEST_GUILESS_MAIN(CodePageTest)
#include "CodePageTest.moc"
