// Encrypted archives of every kind through execute(): the password is asked
// only when needed, asked again after a wrong one, and Cancel ends it with
// nothing left on disk.
#include "../TestSupport.h"
#include "engine/OperationJob.h"
#include "engine/ToolPassword.h"

using namespace test_support;

Q_DECLARE_METATYPE(OperationKind)

namespace {

// Leading '-', quotes and runs of spaces: ZIP takes printable ASCII only.
const QString zipPassword = QStringLiteral("-p 'q\"uote'  two ");
// Non-ASCII and 200 characters long.
const QString sevenZipPassword = QStringLiteral("Ünïcödé ") + QString(192, QLatin1Char('k'));

} // namespace

class EncryptedArchiveTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::optional<ArchiveEngine> m_engine;
    QStringList m_archives;   // by Encryption
    QString m_scratch;        // temporary and preview folders, and destinations

    // `answers` in turn, a null string for Cancel; the questions' "last was wrong" flags go to `asked`.
    Outcome run(const OperationRequest &request, QStringList answers, QList<bool> &asked)
    {
        OperationJob job;
        job.setQuestionSink([&](const Question &question) {
            asked.append(question.lastPasswordWrong);
            Answer answer;
            answer.password = answers.isEmpty() ? QString() : answers.takeFirst();
            answer.cancelled = answer.password.isNull();
            job.answer(answer);
        });
        return m_engine->execute(request, job);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_engine.emplace(kResources);
        m_scratch = m_dir.filePath("scratch");
        qputenv("TMPDIR", QFile::encodeName(m_scratch));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_scratch));
        QVERIFY(writeFile(m_dir.filePath("in/a.txt"), "plain\n") && writeFile(m_dir.filePath("in/b.txt"), "second\n"));
        const QStringList names{"zipcrypto.zip", "aes.zip", "data.7z", "names.7z", "partial.zip"};
        for (int kind = 0; kind < names.size(); ++kind) {
            m_archives.append(m_dir.filePath(names[kind]));
            QVERIFY(makeEncrypted(Encryption(kind), m_archives.last(), m_dir.path(), {"in/a.txt", "in/b.txt"},
                                  names[kind].endsWith(".zip") ? zipPassword : sevenZipPassword));
        }
    }

    void init()
    {
        QVERIFY(QDir(m_scratch).removeRecursively() && QDir().mkpath(m_scratch + "/out"));
        QVERIFY(QFile::setPermissions(m_scratch, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    void askedWhenNeeded_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<OperationKind>("operation");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QStringList>("answers");
        const OperationKind operations[] = {OperationKind::List, OperationKind::Extract, OperationKind::Test,
                                            OperationKind::Preview};
        for (int kind = 0; kind < m_archives.size(); ++kind) {
            const QString right = m_archives[kind].endsWith(".zip") ? zipPassword : sevenZipPassword;
            const QString wrong = right + 'x';
            for (const OperationKind operation : operations) {
                const QString row = QFileInfo(m_archives[kind]).fileName() + ' ' + QString::number(int(operation));
                QTest::addRow("%s right", qPrintable(row)) << kind << operation << QString() << QStringList{right};
                QTest::addRow("%s wrong, right", qPrintable(row))
                    << kind << operation << QString() << QStringList{wrong, right};
                QTest::addRow("%s wrong, cancel", qPrintable(row))
                    << kind << operation << QString() << QStringList{wrong, QString()};
            }
            QTest::addRow("%s kept password wrong", qPrintable(QFileInfo(m_archives[kind]).fileName()))
                << kind << OperationKind::Test << wrong << QStringList{right};
        }
        QTest::addRow("line break never sent") << 2 << OperationKind::Test << QString()
                                               << QStringList{sevenZipPassword + "\nx", sevenZipPassword};
    }

    void askedWhenNeeded()
    {
        QFETCH(int, kind);
        QFETCH(OperationKind, operation);
        QFETCH(QString, kept);
        QFETCH(QStringList, answers);
        OperationRequest request;
        request.kind = operation;
        request.archive = m_archives[kind];
        request.destination = m_scratch + "/out";
        request.members = {"in/b.txt"};
        if (operation == OperationKind::Extract)
            request.members.clear();
        request.password = kept;

        QList<bool> asked;
        const Outcome outcome = run(request, answers, asked);
        const bool needed = operation != OperationKind::List || kind == int(Encryption::SevenZipNames);
        const bool right = !needed || !answers.last().isNull();
        QCOMPARE(outcome.kind, right ? Outcome::Kind::Succeeded : Outcome::Kind::Cancelled);
        QList<bool> expected;
        for (qsizetype i = 0; needed && i < answers.size(); ++i)
            expected.append(i > 0 || !kept.isEmpty());
        QCOMPARE(asked, expected);
        QCOMPARE(outcome.password, needed && right ? answers.last() : QString());

        QStringList left;
        if (right && operation == OperationKind::Extract) {
            left = QStringList{"out", "out/in", "out/in/a.txt", "out/in/b.txt"};
            QCOMPARE(readFile(request.destination + "/in/b.txt"), QByteArray("second\n"));
        } else if (right && operation == OperationKind::Preview) {
            QCOMPARE(readFile(outcome.path), QByteArray("second\n"));
            QVERIFY(QDir(outcome.path.chopped(QStringLiteral("/in/b.txt").size())).removeRecursively());
        } else if (right && operation == OperationKind::List) {
            QCOMPARE(sortedPaths(outcome.entries), (QStringList{"in/a.txt", "in/b.txt"}));
        }
        // A wrong or cancelled attempt leaves no file, no preview folder.
        QCOMPARE(tree(m_scratch), left.isEmpty() ? QStringList{"out"} : left);
    }

    // Only passwords the tool can take make a ZIP, which then opens with it.
    void newZipPasswords()
    {
        for (const QString &password : {zipPassword, QStringLiteral("Ünï"), QString(100, QLatin1Char('k'))}) {
            OperationRequest create;
            create.kind = OperationKind::Create;
            create.archive = m_scratch + "/" + QString::number(password.size()) + ".zip";
            create.inputs = {m_dir.filePath("in")};
            create.password = password;
            QList<bool> asked;
            const bool takes = ToolPassword::newZipProblem(password).isEmpty();
            QCOMPARE(run(create, {}, asked).succeeded(), takes);
            QCOMPARE(QFileInfo::exists(create.archive), takes);
            if (!takes)
                continue;
            OperationRequest test;
            test.kind = OperationKind::Test;
            test.archive = create.archive;
            QCOMPARE(run(test, {password}, asked).password, password);
            QCOMPARE(asked, QList<bool>{false});
        }
    }
};

QTEST_GUILESS_MAIN(EncryptedArchiveTest)
#include "EncryptedArchiveTest.moc"
