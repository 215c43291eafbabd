#pragma once
// The hostile-archive corpus, built at test time by make_hostile_corpus.py,
// and the file-system snapshots that prove what an extraction touched.
// Paths here are raw bytes: names in the corpus need not be UTF-8.

#include "FakeDesktop.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUuid>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace hostile {

struct Case {
    QString name;
    QString archive;   // absolute
    QString cli;       // "refused", "extracted" or "failed"
    QString window;    // "extracted" or "failed"
    QString guard;     // what protects it when the screen does not
    std::vector<std::string> inside;
};

// One file-system object as lstat sees it, with what it holds.
struct Node {
    mode_t mode = 0;
    off_t size = 0;
    long long mtime = 0;
    ino_t inode = 0;
    nlink_t links = 0;
    std::string content;   // SHA-256 of a file, target of a link

    bool operator==(const Node &o) const
    {
        return mode == o.mode && size == o.size && mtime == o.mtime && inode == o.inode && links == o.links
            && content == o.content;
    }
};

using Snapshot = std::map<std::string, Node>;

inline std::string hashFile(const std::string &path)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (FILE *file = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            hash.addData(QByteArrayView(buffer, qsizetype(n)));
        std::fclose(file);
    }
    return hash.result().toHex().toStdString();
}

inline void walk(const std::string &folder, Snapshot &into)
{
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> names;
    while (dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    for (const std::string &name : names) {
        const std::string path = folder + '/' + name;
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0)
            continue;
        Node node;
        node.mode = st.st_mode;
        node.size = st.st_size;
        node.mtime = (long long)st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
        node.inode = st.st_ino;
        node.links = S_ISDIR(st.st_mode) ? 0 : st.st_nlink;
        if (S_ISREG(st.st_mode)) {
            node.content = hashFile(path);
        } else if (S_ISLNK(st.st_mode)) {
            std::string target(PATH_MAX, '\0');
            const ssize_t n = readlink(path.c_str(), target.data(), target.size());
            target.resize(n > 0 ? size_t(n) : 0);
            node.content = target;
        }
        into[path] = node;
        if (S_ISDIR(st.st_mode))
            walk(path, into);
    }
}

inline Snapshot snapshot(const QString &root)
{
    Snapshot result;
    walk(QFile::encodeName(root).toStdString(), result);
    return result;
}

inline bool isUnder(const std::string &path, const std::string &folder)
{
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0
                              && path[folder.size()] == '/');
}

// Every difference between two snapshots that is not the destination
// folder or something inside it, except `kept`, which must not change
// even inside. Empty when the extraction stayed where it belonged. A
// destination folder made for the extraction changes its parent's times.
inline QStringList changesOutside(const Snapshot &before, const Snapshot &after, const QString &destination,
                                  const QString &kept = QString())
{
    const std::string dest = QFile::encodeName(destination).toStdString();
    const std::string keep = QFile::encodeName(kept).toStdString();
    const std::string parent = before.count(dest) ? std::string() : dest.substr(0, dest.rfind('/'));
    QStringList problems;
    auto report = [&](const char *what, const std::string &path) {
        if (!isUnder(path, dest) || path == keep)
            problems.append(QString::fromLatin1(what) + QStringLiteral(": ") + QString::fromUtf8(path));
    };
    for (const auto &[path, node] : before) {
        const auto found = after.find(path);
        if (found == after.end())
            report("removed", path);
        else if (!(found->second == node) && path != dest
                 && !(path == parent && found->second.mode == node.mode && found->second.inode == node.inode))
            report("changed", path);
    }
    for (const auto &[path, node] : after) {
        if (!before.count(path))
            report("created", path);
    }
    return problems;
}

// Where a link leads, taken lexically from the folder it sits in.
inline std::string resolveLink(const std::string &linkPath, const std::string &target)
{
    std::string joined = target.size() && target[0] == '/' ? target
                                                             : linkPath.substr(0, linkPath.rfind('/') + 1) + target;
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= joined.size()) {
        const size_t slash = joined.find('/', at);
        const std::string part = joined.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string::npos)
            break;
        at = slash + 1;
    }
    std::string result;
    for (const std::string &part : parts)
        result += '/' + part;
    return result.empty() ? "/" : result;
}

// Links inside the destination that lead out of it.
inline QStringList linksLeadingOut(const Snapshot &after, const QString &destination)
{
    const std::string dest = QFile::encodeName(destination).toStdString();
    QStringList problems;
    for (const auto &[path, node] : after) {
        if (S_ISLNK(node.mode) && isUnder(path, dest) && !isUnder(resolveLink(path, node.content), dest))
            problems.append(QString::fromUtf8(path) + QStringLiteral(" -> ") + QString::fromUtf8(node.content));
    }
    return problems;
}

// Device nodes, pipes, sockets and set-id files that an extraction made:
// the tool writes the first three as plain empty files and drops set-id bits.
inline QStringList specialFilesInside(const Snapshot &after, const QString &destination)
{
    const std::string dest = QFile::encodeName(destination).toStdString();
    QStringList problems;
    for (const auto &[path, node] : after) {
        const bool special = S_ISCHR(node.mode) || S_ISBLK(node.mode) || S_ISFIFO(node.mode) || S_ISSOCK(node.mode)
            || (node.mode & (S_ISUID | S_ISGID));
        if (special && isUnder(path, dest))
            problems.append(QString::fromUtf8(path));
    }
    return problems;
}

// Files named after the escape token anywhere above the root: an escape
// that climbed past everything a snapshot covers.
inline QStringList escapesAbove(const QString &root, const QString &escape)
{
    QStringList found;
    std::string folder = QFile::encodeName(root).toStdString();
    const std::string token = escape.toStdString();
    while (!folder.empty()) {
        folder = folder.substr(0, folder.rfind('/'));
        const std::string current = folder.empty() ? "/" : folder;
        if (DIR *dir = opendir(current.c_str())) {
            while (dirent *entry = readdir(dir)) {
                if (std::string(entry->d_name).find(token) != std::string::npos)
                    found.append(QString::fromUtf8(current + '/' + entry->d_name));
            }
            closedir(dir);
        }
    }
    return found;
}

inline bool exists(const QString &folder, const std::string &relative)
{
    struct stat st {};
    return lstat((QFile::encodeName(folder).toStdString() + '/' + relative).c_str(), &st) == 0;
}

// Removes a tree whose names need not be UTF-8, which QDir cannot.
inline void removeTree(const std::string &folder)
{
    chmod(folder.c_str(), 0700);
    if (DIR *dir = opendir(folder.c_str())) {
        std::vector<std::string> names;
        while (dirent *entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
        for (const std::string &name : names) {
            const std::string path = folder + '/' + name;
            struct stat st {};
            if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                removeTree(path);
            else
                unlink(path.c_str());
        }
    }
    rmdir(folder.c_str());
}

// The corpus in a fresh temporary root.
struct Corpus {
    Corpus() { root.setAutoRemove(false); }
    ~Corpus()
    {
        if (root.isValid())
            removeTree(QFile::encodeName(root.path()).toStdString());
    }

    QTemporaryDir root;
    QString escape;
    std::vector<Case> cases;
    QString error;

    bool build()
    {
        if (!root.isValid()) {
            error = QStringLiteral("no temporary folder");
            return false;
        }
        const QString token = QUuid::createUuid().toString(QUuid::Id128).left(12);
        QProcess generator;
        generator.setProcessChannelMode(QProcess::MergedChannels);
        generator.start(QStringLiteral("python3"),
                        {QStringLiteral(CORVEX_HARDENING_DIR "/make_hostile_corpus.py"), root.path(),
                         QStringLiteral(CORVEX_RESOURCE_DIR "/bin/7zz"), token});
        if (!generator.waitForFinished(120000) || generator.exitCode() != 0) {
            error = QStringLiteral("corpus generator failed: ") + QString::fromUtf8(generator.readAll());
            return false;
        }
        QFile file(root.filePath(QStringLiteral("manifest.json")));
        if (!file.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("no manifest");
            return false;
        }
        const QJsonObject manifest = QJsonDocument::fromJson(file.readAll()).object();
        escape = manifest.value(QStringLiteral("escape")).toString();
        for (const QJsonValue &value : manifest.value(QStringLiteral("cases")).toArray()) {
            const QJsonObject object = value.toObject();
            Case c;
            c.name = object.value(QStringLiteral("name")).toString();
            c.archive = root.filePath(object.value(QStringLiteral("archive")).toString());
            c.cli = object.value(QStringLiteral("cli")).toString();
            c.window = object.value(QStringLiteral("window")).toString();
            c.guard = object.value(QStringLiteral("guard")).toString();
            for (const QJsonValue &hex : object.value(QStringLiteral("inside")).toArray())
                c.inside.push_back(QByteArray::fromHex(hex.toString().toLatin1()).toStdString());
            cases.push_back(c);
        }
        return !cases.empty();
    }

    const Case *find(const QString &name) const
    {
        for (const Case &c : cases) {
            if (c.name == name)
                return &c;
        }
        return nullptr;
    }
};

// What the desktop saw: the unsafe-paths alert, an error alert, or a reveal.
inline QString outcome(const FakeDesktop &desktop)
{
    for (const FakeDesktop::Call &call : desktop.calls) {
        if (call.kind == QLatin1String("alert") && call.values.contains(QStringLiteral("Unsafe archive paths detected")))
            return QStringLiteral("refused");
        if (call.kind == QLatin1String("error"))
            return QStringLiteral("failed");
        if (call.kind == QLatin1String("reveal"))
            return QStringLiteral("extracted");
    }
    return QStringLiteral("nothing: ") + desktop.kinds().join(QLatin1Char(','));
}

} // namespace hostile
