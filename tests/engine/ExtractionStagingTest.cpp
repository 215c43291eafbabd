// Staged items moved into a destination: conflicts, links, merges, and what must hold on every path (the
// destination's own mode, the folder a link points to, no staging folder left).
#include "engine/ExtractionStaging.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// "a=text" a file, "d/" a folder, "l->target" a link; joined with "; ".
void build(const fs::path &root, const QString &spec)
{
    for (const QString &item : spec.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        const std::string name = item.section(QRegularExpression(QStringLiteral("=|->|/$")), 0, 0).toStdString();
        if (item.endsWith(QLatin1Char('/')))
            fs::create_directories(root / name);
        else if (item.contains(QStringLiteral("->")))
            fs::create_symlink(item.section(QStringLiteral("->"), 1).toStdString(), root / name);
        else
            std::ofstream(root / name) << item.section(QLatin1Char('='), 1).toStdString();
    }
}

// The same notation read back, links not followed, sorted.
QString describe(const fs::path &root)
{
    QStringList items;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(root)) {
        const QString name = QString::fromStdString(entry.path().lexically_relative(root).string());
        if (entry.is_symlink())
            items.append(name + QStringLiteral("->") + QString::fromStdString(fs::read_symlink(entry).string()));
        else if (entry.is_directory())
            items.append(name + QLatin1Char('/'));
        else
            items.append(name + QLatin1Char('=') + QString::fromStdString(std::string(std::istreambuf_iterator<char>(
                                                       std::ifstream(entry.path()).rdbuf()), {})));
    }
    items.sort();
    return items.join(QStringLiteral("; "));
}

// Every real folder below and including `root`: permissions taken away (deepest last) or given back.
void setFolderModes(const fs::path &root, fs::perms mode)
{
    if (!fs::is_directory(fs::symlink_status(root)))
        return;
    fs::permissions(root, fs::perms::owner_all);
    for (const fs::directory_entry &entry : fs::directory_iterator(root))
        setFolderModes(entry.path(), mode);
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
        QTest::addColumn<QString>("answers");   // R K S C a choice each, * for all; past the end: unanswered
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("placed");
        QTest::addColumn<QStringList>("asked");   // path, existing and new: d a folder, - anything else
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("no conflict") << "" << "a=1; d/; d/x=2" << "" << "a=1; d/; d/x=2" << QStringList{"a", "d"}
                                     << QStringList{} << false;
        QTest::newRow("replace") << "a=old" << "a=new" << "R" << "a=new" << QStringList{"a"} << QStringList{"a --"} << false;
        QTest::newRow("keep both numbers before the extension")
            << "r.tar.gz=old; r 2.tar.gz=old2" << "r.tar.gz=new" << "K" << "r 2.tar.gz=old2; r 3.tar.gz=new; r.tar.gz=old"
            << QStringList{"r 3.tar.gz"} << QStringList{"r.tar.gz --"} << false;
        QTest::newRow("apply to all asks once") << "a=o; b=o; c=o" << "a=n; b=n; c=n" << "R*" << "a=n; b=n; c=n"
                                                << QStringList{"a", "b", "c"} << QStringList{"a --"} << false;
        QTest::newRow("cancel keeps what was moved") << "b=o" << "a=n; b=n; c=n" << "C" << "a=n; b=o" << QStringList{"a"}
                                                     << QStringList{"b --"} << true;
        QTest::newRow("unanswered is a cancel") << "a=o" << "a=n" << "" << "a=o" << QStringList{} << QStringList{"a --"} << true;
        QTest::newRow("folders merge item by item")
            << "d/; d/old=o; d/same=o" << "d/; d/new=n; d/same=n" << "S" << "d/; d/new=n; d/old=o; d/same=o"
            << QStringList{"d"} << QStringList{"d/same --"} << false;
        QTest::newRow("a link to a folder is a conflict, not a way in")
            << "d->../outside" << "d/; d/x=n" << "K" << "d 2/; d 2/x=n; d->../outside" << QStringList{"d 2"}
            << QStringList{"d -d"} << false;
        QTest::newRow("a link on the way is replaced as a link")
            << "d/; d/sub->../../outside" << "d/; d/sub/; d/sub/x=n" << "R" << "d/; d/sub/; d/sub/x=n" << QStringList{"d"}
            << QStringList{"d/sub -d"} << false;
        QTest::newRow("a link to a file is replaced, not written through")
            << "f->../outside/victim" << "f=n" << "R" << "f=n" << QStringList{"f"} << QStringList{"f --"} << false;
        QTest::newRow("a dangling link is a conflict") << "g->nowhere" << "g=n" << "S" << "g->nowhere" << QStringList{}
                                                       << QStringList{"g --"} << false;
        QTest::newRow("a file replaces a folder") << "x/; x/keep=o" << "x=n" << "R" << "x=n" << QStringList{"x"}
                                                  << QStringList{"x d-"} << false;
    }

    void moveIntoPlace()
    {
        QFETCH(QString, existing);
        QFETCH(QString, staged);
        QFETCH(QString, answers);
        QFETCH(QString, expected);
        QFETCH(QStringList, placed);
        QFETCH(QStringList, asked);
        QFETCH(bool, cancelled);
        QTemporaryDir dir;
        const fs::path destination = dir.filePath(QStringLiteral("dest")).toStdString();
        build(dir.path().toStdString(), QStringLiteral("dest/; outside/; outside/victim=keep"));
        build(destination, existing);
        const auto destinationMode = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec;
        fs::permissions(destination, destinationMode);

        QStringList questions;
        ExtractionStaging::Result result;
        {
            ExtractionStaging staging(QString::fromStdString(destination));
            QCOMPARE(fs::status(staging.path().toStdString()).permissions(), fs::perms::owner_all);
            build(staging.path().toStdString(), staged);
            // What the tool may leave: folders without permissions (an archive's "./" and folder modes).
            setFolderModes(staging.path().toStdString(), fs::perms::none);
            result = staging.moveIntoPlace(QStringLiteral("/a.zip"), [&](const Question &q) -> std::optional<Answer> {
                questions.append(QString::fromStdString(fs::path(q.existingPath.toStdString()).lexically_relative(destination))
                                 + QLatin1Char(' ') + (q.existingIsFolder ? 'd' : '-') + (q.newIsFolder ? 'd' : '-'));
                if (q.archive != QLatin1String("/a.zip") || answers.isEmpty())
                    return std::nullopt;
                Answer answer;
                answer.choice = ConflictChoice(QStringLiteral("RKSC").indexOf(answers.at(0)));
                answer.applyToAll = answers.mid(1, 1) == QLatin1String("*");
                answers.remove(0, answer.applyToAll ? 2 : 1);
                return answer;
            });
        }
        QCOMPARE(fs::status(destination).permissions(), destinationMode);
        for (const fs::directory_entry &entry : fs::directory_iterator(destination))
            setFolderModes(entry.path(), fs::perms::owner_all);
        QCOMPARE(describe(destination), expected);   // no staging folder left either
        QCOMPARE(questions, asked);
        QCOMPARE(result.cancelled, cancelled);
        for (QString &name : placed)
            name = QString::fromStdString(destination / name.toStdString());
        QCOMPARE(result.placed, placed);
        QCOMPARE(describe(dir.filePath(QStringLiteral("outside")).toStdString()), QStringLiteral("victim=keep"));
    }

    void removedWithoutMovingLeavesNothing()
    {
        QTemporaryDir dir;
        build(dir.path().toStdString(), QStringLiteral("dest/; dest/a=o; outside/; outside/victim=keep"));
        {
            ExtractionStaging staging(dir.filePath(QStringLiteral("dest")));
            build(staging.path().toStdString(), QStringLiteral("out->../../../outside; in/; in/l->../../../../outside/victim"));
            setFolderModes(staging.path().toStdString(), fs::perms::none);
        }
        QCOMPARE(describe(dir.path().toStdString()), QStringLiteral("dest/; dest/a=o; outside/; outside/victim=keep"));
    }
};

QTEST_GUILESS_MAIN(ExtractionStagingTest)
#include "ExtractionStagingTest.moc"
