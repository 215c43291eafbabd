#pragma once
// The hostile-archive corpus make_hostile_corpus.py builds at test time, and whole-tree snapshots that
// prove what an extraction touched. Paths are raw bytes: names in the corpus need not be UTF-8.
#include "platform/FakeDesktop.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <vector>

namespace hostile {
namespace fs = std::filesystem;

struct Case {
    QString name, archive, cli, window, guard;   // see the generator for what each outcome means
    std::vector<std::string> inside, noLink;     // relative to the window's destination
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
        for (const QJsonValue &value : manifest[QLatin1String("cases")].toArray()) {
            const QJsonObject o = value.toObject();
            auto paths = [&](const char *key) {
                std::vector<std::string> result;
                for (const QJsonValue &hex : o[QLatin1String(key)].toArray())
                    result.push_back(QByteArray::fromHex(hex.toString().toLatin1()).toStdString());
                return result;
            };
            auto text = [&](const char *key) { return o[QLatin1String(key)].toString(); };
            cases.push_back({text("name"), root.filePath(text("archive")), text("cli"), text("window"), text("guard"),
                             paths("inside"), paths("nolink")});
        }
        return !cases.empty();
    }

    // What an extraction into `destination` did wrong: any change outside it (but the parent times a new
    // destination changes) or to `kept` even inside; links inside leading out, taken lexically; devices,
    // pipes, sockets or set-id files inside; escape-named files in any folder above the root.
    QStringList problems(const Snapshot &before, const Snapshot &after, const QString &destination,
                         const QString &kept = QString()) const
    {
        const std::string dest = bytes(destination), keep = bytes(kept);
        const std::string parent = before.count(dest) ? std::string() : dest.substr(0, dest.rfind('/'));
        QStringList found;
        auto report = [&](const char *what, const std::string &path) {
            found.append(QString::fromLatin1(what) + QStringLiteral(": ") + QString::fromUtf8(path));
        };
        auto outside = [&](const std::string &path) { return !isUnder(path, dest) || path == keep; };
        for (const auto &[path, node] : before) {
            const auto now = after.find(path);
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
            if (S_ISLNK(mode)
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

// What the desktop saw: the unsafe-paths alert, an error alert, or a reveal.
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
    return QStringLiteral("nothing: ") + desktop.kinds().join(QLatin1Char(','));
}

} // namespace hostile
