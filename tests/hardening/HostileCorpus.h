#pragma once
// The hostile-archive corpus make_hostile_corpus.py builds at test time, and whole-tree snapshots that
// prove what an extraction touched. Paths are raw bytes: names in the corpus need not be UTF-8.
#include "platform/FakeDesktop.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <optional>
#include <sys/stat.h>

// Fails the test with the list of problems, if any.
#define HOSTILE_CLEAN(problems) QVERIFY2((problems).isEmpty(), qPrintable((problems).join(QLatin1Char('\n'))))

namespace hostile {
namespace fs = std::filesystem;

struct Case {
    QString name, archive, here, folder, window, guard, answers;   // see the generator for what each means
    std::vector<std::string> inside, noLink;                       // relative to the window's destination
    std::vector<std::string> kept;                                 // relative to where the setup goes
    std::vector<std::pair<std::string, std::optional<std::string>>> setup, during;
};

// mode, size, mtime, inode, link count, and a file's bytes or a link's target, as lstat sees them.
using Snapshot = std::map<std::string, std::tuple<mode_t, off_t, long long, ino_t, nlink_t, std::string>>;

inline std::string bytes(const QString &path) { return QFile::encodeName(path).toStdString(); }

inline Snapshot snapshot(const QString &root)
{
    Snapshot result;
    std::error_code error;
    for (fs::recursive_directory_iterator it(bytes(root), fs::directory_options::skip_permission_denied, error), end;
         it != end; it.increment(error)) {
        const std::string path = it->path().native();
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0)
            continue;
        std::string content;
        if (S_ISREG(st.st_mode)) {
            std::ifstream in(path, std::ios::binary);
            content.assign(std::istreambuf_iterator<char>(in), {});
        } else if (S_ISLNK(st.st_mode)) {
            content = fs::read_symlink(path, error).native();
        }
        result[path] = {st.st_mode, st.st_size, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec, st.st_ino,
                        S_ISDIR(st.st_mode) ? 0 : st.st_nlink, content};
    }
    return result;
}

inline bool isUnder(const std::string &path, const std::string &folder)
{
    return path.compare(0, folder.size(), folder) == 0 && (path.size() == folder.size() || path[folder.size()] == '/');
}

inline fs::file_type typeOf(const QString &folder, const std::string &relative)
{
    std::error_code error;
    return fs::symlink_status(bytes(folder) + '/' + relative, error).type();
}

// A new folder, private as a destination can be (one a "./" member's mode would change).
inline QString privateFolder(const QString &folder)
{
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

struct Corpus {
    QTemporaryDir root;
    QString escape, error;
    std::vector<Case> cases;

    Corpus() { root.setAutoRemove(false); }   // QDir cannot remove names that are not UTF-8
    ~Corpus()
    {
        std::error_code ignored;
        fs::remove_all(bytes(root.path()), ignored);
    }

    bool build()
    {
        QProcess generator;
        generator.setProcessChannelMode(QProcess::MergedChannels);
        generator.start(QStringLiteral("python3"), {QStringLiteral(CORVEX_HARDENING_DIR "/make_hostile_corpus.py"),
                                                    root.path(), QStringLiteral(CORVEX_RESOURCE_DIR "/bin/7zz"),
                                                    QUuid::createUuid().toString(QUuid::Id128).left(12)});
        QFile file(root.filePath(QStringLiteral("manifest.json")));
        if (!generator.waitForFinished(120000) || generator.exitCode() != 0 || !file.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("corpus generator failed: ") + QString::fromUtf8(generator.readAll());
            return false;
        }
        const QJsonObject manifest = QJsonDocument::fromJson(file.readAll()).object();
        escape = manifest[QLatin1String("escape")].toString();
        auto hex = [](const QJsonValue &v) { return QByteArray::fromHex(v.toString().toLatin1()).toStdString(); };
        for (const QJsonValue &value : manifest[QLatin1String("cases")].toArray()) {
            const QJsonObject o = value.toObject();
            auto paths = [&](const char *key) {
                std::vector<std::string> result;
                for (const QJsonValue &item : o[QLatin1String(key)].toArray()) result.push_back(hex(item));
                return result;
            };
            auto text = [&](const char *key) { return o[QLatin1String(key)].toString(); };
            const QJsonArray outcomes = o[QLatin1String("outcomes")].toArray();
            Case c{text("name"), root.filePath(text("archive")), outcomes[0].toString(), outcomes[1].toString(),
                   outcomes[2].toString(), text("guard"), text("answers"), paths("inside"), paths("nolink"),
                   paths("kept"), {}, {}};
            for (const char *key : {"setup", "during"})
                for (const QJsonValue &item : o[QLatin1String(key)].toArray()) {
                    const QJsonArray pair = item.toArray();
                    (key[0] == 's' ? c.setup : c.during)
                        .emplace_back(hex(pair[0]), pair[1].isNull() ? std::nullopt : std::optional(hex(pair[1])));
                }
            cases.push_back(std::move(c));
        }
        return !cases.empty();
    }

    const Case &named(const char *name) const
    {
        return *std::find_if(cases.begin(), cases.end(), [&](const Case &c) { return c.name == QLatin1String(name); });
    }

    // What an extraction into `destination` did wrong: any change outside it (but the parent times a new
    // destination changes) or to `keep` even inside, or to the destination's own mode; new links inside leading
    // out, taken lexically; devices, pipes, sockets or set-id files inside; escape-named files in any folder
    // above the root.
    QStringList problems(const Snapshot &before, const Snapshot &after, const QString &destination,
                         const std::set<std::string> &keep = {}) const
    {
        const std::string dest = bytes(destination);
        const std::string parent = before.count(dest) ? std::string() : dest.substr(0, dest.rfind('/'));
        QStringList found;
        auto report = [&](const char *what, const std::string &path) {
            found.append(QString::fromLatin1(what) + QStringLiteral(": ") + QString::fromUtf8(path));
        };
        auto outside = [&](const std::string &path) { return !isUnder(path, dest) || keep.count(path); };
        for (const auto &[path, node] : before) {
            const auto now = after.find(path);
            if (path == dest && now != after.end() && std::get<0>(now->second) != std::get<0>(node))
                report("mode changed", path);
            if (now == after.end() ? outside(path)
                                   : now->second != node && path != dest && outside(path)
                                         && !(path == parent && std::get<0>(now->second) == std::get<0>(node)
                                              && std::get<3>(now->second) == std::get<3>(node)))
                report(now == after.end() ? "removed" : "changed", path);
        }
        for (const auto &[path, node] : after) {
            const mode_t mode = std::get<0>(node);
            if (!before.count(path) && outside(path))
                report("created", path);
            if (!isUnder(path, dest))
                continue;
            const fs::path target = std::get<5>(node);
            const auto earlier = before.find(path);
            if (S_ISLNK(mode) && (earlier == before.end() || earlier->second != node)
                && !isUnder((target.is_absolute() ? target : fs::path(path).parent_path() / target).lexically_normal().native(),
                            dest))
                report("link leading out", path);
            if (S_ISCHR(mode) || S_ISBLK(mode) || S_ISFIFO(mode) || S_ISSOCK(mode) || (mode & (S_ISUID | S_ISGID)))
                report("special file", path);
        }
        std::error_code error;
        for (fs::path folder = bytes(root.path()); folder != folder.parent_path();) {
            folder = folder.parent_path();
            for (fs::directory_iterator it(folder, error), end; it != end; it.increment(error)) {
                if (it->path().filename().native().find(escape.toStdString()) != std::string::npos)
                    report("escaped", it->path().native());
            }
        }
        return found;
    }
};

// The case's items where the archive's items land (or beside the archive), and its conflict answers; what
// changes while the second question is open replaces what was there.
inline void make(const std::vector<std::pair<std::string, std::optional<std::string>>> &items, const QString &folder,
                 bool replace = false)
{
    for (const auto &[relative, value] : items) {
        const fs::path path = fs::path(bytes(folder)) / relative;
        if (replace)
            fs::remove_all(path);
        if (!value)
            fs::create_directories(path);
        else if (value->rfind("->", 0) == 0)
            fs::create_symlink(value->substr(2), path);
        else if (*value == "|")
            ::mkfifo(path.c_str(), 0600);
        else
            std::ofstream(path, std::ios::binary) << *value;
    }
}

inline void prepare(const Case &c, const QString &folder, FakeDesktop &desktop)
{
    make(c.setup, folder);
    desktop.onConflict = [&c, folder, asked = 0](const Question &) mutable {
        if (++asked == 2)
            make(c.during, folder, true);
    };
    for (qsizetype i = 0; i < c.answers.size(); ++i) {
        const bool all = c.answers.mid(i + 1, 1) == QLatin1String("*");
        desktop.queueConflictAnswer(ConflictChoice(QStringLiteral("RKSC").indexOf(c.answers.at(i))), all);
        i += all;
    }
}

// The case's paths below `folder` that must stay as they were, and the archive.
inline std::set<std::string> keptPaths(const Case &c, const QString &folder, const QString &archive)
{
    std::set<std::string> paths{bytes(archive)};
    for (const std::string &relative : c.kept)
        paths.insert(bytes(folder) + '/' + relative);
    return paths;
}

// What the desktop saw: the unsafe-paths alert, an error alert, a reveal, or a conflict question alone.
inline QString outcome(const FakeDesktop &desktop)
{
    for (const FakeDesktop::Call &call : desktop.calls) {
        if (call.kind == QLatin1String("alert") && call.values.contains(QStringLiteral("Unsafe archive paths detected")))
            return QStringLiteral("refused");
        if (call.kind == QLatin1String("error") || call.kind == QLatin1String("errorReport"))
            return QStringLiteral("failed");
        if (call.kind == QLatin1String("reveal"))
            return QStringLiteral("extracted");
    }
    const int asked = desktop.count(QStringLiteral("conflict"));
    if (asked > 0 && asked + desktop.count(QStringLiteral("chooseFiles")) == desktop.calls.size())
        return QStringLiteral("asked");
    return QStringLiteral("nothing: ") + desktop.kinds().join(QLatin1Char(','));
}

} // namespace hostile
