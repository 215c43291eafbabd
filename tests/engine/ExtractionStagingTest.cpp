// Staged items moved into a destination: conflicts, links, merges, and what must hold on every path (the
// destination's own mode, the folder a link points to, no staging folder left).
#include "engine/ExtractionStaging.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Choice = ConflictChoice;
struct Step {
    Choice choice;
    bool all = false;
};
using Steps = QList<Step>;

// "a=text" a file, "d/" a folder, "l->target" a link; joined with "; ".
void build(const QString &root, const QString &spec)
{
    for (const QString &item : spec.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        const QString arrow = QStringLiteral("->");
        if (item.endsWith(QLatin1Char('/'))) {
            QDir().mkpath(root + QLatin1Char('/') + item);
        } else if (item.contains(arrow)) {
            QFile::link(item.section(arrow, 1), root + QLatin1Char('/') + item.section(arrow, 0, 0));
        } else {
            QFile file(root + QLatin1Char('/') + item.section(QLatin1Char('='), 0, 0));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(item.section(QLatin1Char('='), 1).toUtf8());
        }
    }
}

// The same notation, read back without following links, sorted.
QString describe(const QString &root)
{
    QStringList items;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(root.toStdString())) {
        const QString path = QString::fromStdString(entry.path().string());
        const QString relative = QDir(root).relativeFilePath(path);
        if (entry.is_symlink())
            items.append(relative + QStringLiteral("->") + QString::fromStdString(fs::read_symlink(entry.path()).string()));
        else if (entry.is_directory())
            items.append(relative + QLatin1Char('/'));
        else if (QFile file(path); file.open(QIODevice::ReadOnly))
            items.append(relative + QLatin1Char('=') + QString::fromUtf8(file.readAll()));
    }
    items.sort();
    return items.join(QStringLiteral("; "));
}

// Every real folder from `root` down to `mode` (deepest first when taking permissions away).
void setFolderModes(const fs::path &root, fs::perms mode)
{
    if (!fs::is_directory(fs::symlink_status(root)))
        return;
    if (mode != fs::perms::none)
        fs::permissions(root, mode);
    for (const fs::directory_entry &entry : fs::directory_iterator(root))
        setFolderModes(entry.path(), mode);
    if (mode == fs::perms::none)
        fs::permissions(root, mode);
}

} // namespace

class ExtractionStagingTest : public QObject
{
    Q_OBJECT
private slots:
    void moveIntoPlace_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("staged");
        QTest::addColumn<Steps>("answers");   // beyond them the question goes unanswered: a cancel
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("placed");
        QTest::addColumn<QStringList>("questions");   // path, then existing and new: d folder, - anything else
        QTest::addColumn<bool>("cancelled");
        const Step replace{Choice::Replace}, keepBoth{Choice::KeepBoth}, skip{Choice::Skip};

        QTest::newRow("no conflict") << "" << "a=1; d/; d/x=2" << Steps{} << "a=1; d/; d/x=2" << QStringList{"a", "d"}
                                     << QStringList{} << false;
        QTest::newRow("replace") << "a=old" << "a=new" << Steps{replace} << "a=new" << QStringList{"a"}
                                 << QStringList{"a --"} << false;
        QTest::newRow("keep both numbers before the extension")
            << "r.tar.gz=old; r 2.tar.gz=old2" << "r.tar.gz=new" << Steps{keepBoth}
            << "r 2.tar.gz=old2; r 3.tar.gz=new; r.tar.gz=old" << QStringList{"r 3.tar.gz"} << QStringList{"r.tar.gz --"} << false;
        QTest::newRow("skip") << "a=old" << "a=new" << Steps{skip} << "a=old" << QStringList{} << QStringList{"a --"} << false;
        QTest::newRow("apply to all asks once") << "a=o; b=o; c=o" << "a=n; b=n; c=n" << Steps{{Choice::Replace, true}}
                                                << "a=n; b=n; c=n" << QStringList{"a", "b", "c"} << QStringList{"a --"} << false;
        QTest::newRow("cancel keeps what was moved") << "b=o" << "a=n; b=n; c=n" << Steps{{Choice::Cancel}} << "a=n; b=o"
                                                     << QStringList{"a"} << QStringList{"b --"} << true;
        QTest::newRow("unanswered is a cancel") << "a=o" << "a=n" << Steps{} << "a=o" << QStringList{} << QStringList{"a --"} << true;
        QTest::newRow("folders merge item by item")
            << "d/; d/old=o; d/same=o" << "d/; d/new=n; d/same=n" << Steps{skip} << "d/; d/new=n; d/old=o; d/same=o"
            << QStringList{"d"} << QStringList{"d/same --"} << false;
        QTest::newRow("a link to a folder is a conflict, not a way in")
            << "d->../outside" << "d/; d/x=n" << Steps{keepBoth} << "d 2/; d 2/x=n; d->../outside" << QStringList{"d 2"}
            << QStringList{"d -d"} << false;
        QTest::newRow("a link on the way is replaced as a link")
            << "d/; d/sub->../../outside" << "d/; d/sub/; d/sub/x=n" << Steps{replace} << "d/; d/sub/; d/sub/x=n"
            << QStringList{"d"} << QStringList{"d/sub -d"} << false;
        QTest::newRow("a link to a file is replaced, not written through")
            << "f->../outside/victim" << "f=n" << Steps{replace} << "f=n" << QStringList{"f"} << QStringList{"f --"} << false;
        QTest::newRow("a dangling link is a conflict") << "g->nowhere" << "g=n" << Steps{skip} << "g->nowhere"
                                                       << QStringList{} << QStringList{"g --"} << false;
        QTest::newRow("a file replaces a folder") << "x/; x/keep=o" << "x=n" << Steps{replace} << "x=n" << QStringList{"x"}
                                                  << QStringList{"x d-"} << false;
        QTest::newRow("a folder replaces a file") << "x=o" << "x/; x/y=n" << Steps{replace} << "x/; x/y=n"
                                                  << QStringList{"x"} << QStringList{"x -d"} << false;
    }

    void moveIntoPlace()
    {
        QFETCH(QString, existing);
        QFETCH(QString, staged);
        QFETCH(Steps, answers);
        QFETCH(QString, expected);
        QFETCH(QStringList, placed);
        QFETCH(QStringList, questions);
        QFETCH(bool, cancelled);
        QTemporaryDir dir;
        const QString destination = dir.filePath(QStringLiteral("dest"));
        build(dir.path(), QStringLiteral("dest/; outside/; outside/victim=keep"));
        build(destination, existing);
        QVERIFY(::chmod(QFile::encodeName(destination).constData(), 0750) == 0);

        QStringList asked;
        ExtractionStaging::Result result;
        {
            ExtractionStaging staging(destination);
            QCOMPARE(QFileInfo(staging.path()).permissions() & 0x0077, QFileDevice::Permissions());
            build(staging.path(), staged);
            // What the tool may leave: its folders without permissions (an archive's "./" and folder modes).
            setFolderModes(staging.path().toStdString(), fs::perms::none);

            result = staging.moveIntoPlace(QStringLiteral("/a.zip"), [&](const Question &question) -> std::optional<Answer> {
                asked.append(QDir(destination).relativeFilePath(question.existingPath) + QLatin1Char(' ')
                             + (question.existingIsFolder ? 'd' : '-') + (question.newIsFolder ? 'd' : '-'));
                if (question.archive != QLatin1String("/a.zip") || answers.isEmpty())
                    return std::nullopt;
                Answer answer;
                answer.choice = answers.first().choice;
                answer.applyToAll = answers.takeFirst().all;
                return answer;
            });
        }
        struct stat status;
        QVERIFY(::stat(QFile::encodeName(destination).constData(), &status) == 0);
        QCOMPARE(status.st_mode & 07777, mode_t(0750));
        for (const fs::directory_entry &entry : fs::directory_iterator(destination.toStdString()))
            setFolderModes(entry.path(), fs::perms::owner_all);
        QCOMPARE(describe(destination), expected);   // no staging folder left either
        QCOMPARE(asked, questions);
        QCOMPARE(result.cancelled, cancelled);
        QStringList placedPaths;
        for (const QString &name : placed)
            placedPaths.append(destination + QLatin1Char('/') + name);
        QCOMPARE(result.placed, placedPaths);
        QCOMPARE(describe(dir.filePath(QStringLiteral("outside"))), QStringLiteral("victim=keep"));
    }

    void removedWithoutMovingLeavesNothing()
    {
        QTemporaryDir dir;
        build(dir.path(), QStringLiteral("dest/; dest/a=o; outside/; outside/victim=keep"));
        {
            ExtractionStaging staging(dir.filePath(QStringLiteral("dest")));
            build(staging.path(), QStringLiteral("out->../../../outside; in/; in/link->../../../../outside/victim; a=n"));
            QVERIFY(::chmod(QFile::encodeName(staging.path() + QStringLiteral("/in")).constData(), 0) == 0);
        }
        QCOMPARE(describe(dir.path()), QStringLiteral("dest/; dest/a=o; outside/; outside/victim=keep"));
    }
};

QTEST_GUILESS_MAIN(ExtractionStagingTest)
#include "ExtractionStagingTest.moc"
