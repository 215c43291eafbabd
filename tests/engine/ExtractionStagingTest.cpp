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
        // existing | staged | answers: R K S C, * for all, past the end unanswered; F fails before moving |
        // expected | placed |
        // asked: path, existing and new (d a folder, - anything else) [| cancelled]
        QTest::addColumn<QString>("row");
        QTest::newRow("no conflict") << "| a=1; d/; d/x=2 | | a=1; d/; d/x=2 | a, d |";
        QTest::newRow("replace") << "a=old | a=new | R | a=new | a | a --";
        QTest::newRow("keep both numbers before the extension")
            << "r.tar.gz=o; r 2.tar.gz=o2 | r.tar.gz=n | K | r 2.tar.gz=o2; r 3.tar.gz=n; r.tar.gz=o | r 3.tar.gz | r.tar.gz --";
        QTest::newRow("apply to all asks once") << "a=o; b=o; c=o | a=n; b=n; c=n | R* | a=n; b=n; c=n | a, b, c | a --";
        QTest::newRow("a cancel moves nothing") << "b=o | a=n; b=n; c=n | C | b=o | | b -- | cancelled";
        QTest::newRow("unanswered is a cancel") << "a=o | a=n | | a=o | | a -- | cancelled";
        QTest::newRow("folders merge item by item")
            << "d/; d/old=o; d/same=o | d/; d/new=n; d/same=n | S | d/; d/new=n; d/old=o; d/same=o | d | d/same --";
        QTest::newRow("a link to a folder is a conflict, not a way in")
            << "d->../outside | d/; d/x=n | K | d 2/; d 2/x=n; d->../outside | d 2 | d -d";
        QTest::newRow("a link on the way is replaced as a link")
            << "d/; d/sub->../../outside | d/; d/sub/; d/sub/x=n | R | d/; d/sub/; d/sub/x=n | d | d/sub -d";
        QTest::newRow("a dangling link is a conflict") << "g->nowhere | g=n | S | g->nowhere | | g --";
        QTest::newRow("a file replaces a folder") << "x/; x/keep=o | x=n | R | x=n | x | x d-";
        QTest::newRow("a failure leaves nothing, following no staged link")
            << "a=o | a=n; out->../../../outside; in/; in/l->../../../../outside/victim | F | a=o | |";
    }

    void moveIntoPlace()
    {
        QFETCH(QString, row);
        const QStringList column = row.split(QLatin1Char('|'));
        QString answers = column[2].trimmed();
        QStringList placed = column[4].trimmed().split(QStringLiteral(", "), Qt::SkipEmptyParts);
        QTemporaryDir dir;
        const fs::path destination = dir.filePath(QStringLiteral("dest")).toStdString();
        build(dir.path().toStdString(), QStringLiteral("dest/; outside/; outside/victim=keep"));
        build(destination, column[0].trimmed());
        const auto destinationMode = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec;
        fs::permissions(destination, destinationMode);

        QStringList questions;
        auto resolve = [&](const Question &q) -> std::optional<Answer> {
            questions.append(QString::fromStdString(fs::path(q.existingPath.toStdString()).lexically_relative(destination))
                             + QLatin1Char(' ') + (q.existingIsFolder ? 'd' : '-') + (q.newIsFolder ? 'd' : '-'));
            if (q.archive != QLatin1String("/a.zip") || answers.isEmpty())
                return std::nullopt;
            Answer answer;
            answer.choice = ConflictChoice(QStringLiteral("RKSC").indexOf(answers.at(0)));
            answer.applyToAll = answers.mid(1, 1) == QLatin1String("*");
            answers.remove(0, answer.applyToAll ? 2 : 1);
            return answer;
        };
        ExtractionStaging::Result result;
        {
            ExtractionStaging staging(QString::fromStdString(destination));
            QCOMPARE(fs::status(staging.path().toStdString()).permissions(), fs::perms::owner_all);
            build(staging.path().toStdString(), column[1].trimmed());
            // What the tool may leave: folders without permissions (an archive's "./" and folder modes).
            setFolderModes(staging.path().toStdString(), fs::perms::none);
            if (answers != QLatin1String("F"))
                result = staging.moveIntoPlace(QStringLiteral("/a.zip"), resolve);
        }
        QCOMPARE(fs::status(destination).permissions(), destinationMode);
        for (const fs::directory_entry &entry : fs::directory_iterator(destination))
            setFolderModes(entry.path(), fs::perms::owner_all);
        QCOMPARE(describe(destination), column[3].trimmed());   // no staging folder left either
        QCOMPARE(questions, column[5].trimmed().split(QStringLiteral(", "), Qt::SkipEmptyParts));
        QCOMPARE(result.cancelled, column.size() > 6);
        for (QString &name : placed)
            name = QString::fromStdString(destination / name.toStdString());
        QCOMPARE(result.placed, placed);
        QCOMPARE(describe(dir.filePath(QStringLiteral("outside")).toStdString()), QStringLiteral("victim=keep"));
    }
};

QTEST_GUILESS_MAIN(ExtractionStagingTest)
#include "ExtractionStagingTest.moc"
