#pragma once

#include <QString>

// How a new archive is made, as the Compress dialog chose it.
enum class NewFormat { Zip, SevenZip, TarGz, TarXz, TarBz2, TarZst, Tar };
enum class NewLevel { Store, Fast, Normal, Maximum };

struct NewArchiveOptions {
    NewFormat format = NewFormat::Zip;
    NewLevel level = NewLevel::Normal;
    // Split into volumes of this many bytes ("NAME.001", "NAME.002" …); 0: one file.
    qint64 volumeBytes = 0;
    // 7z with a password: the names are encrypted too.
    bool encryptNames = false;
};

// Everything the dialog answers. The password is kept in memory only.
struct NewArchiveChoice {
    QString folder;
    // The file name, with its extension; unused when `separately`.
    QString name;
    NewArchiveOptions options;
    QString password;
    // Each item in an archive of its own, named after it.
    bool separately = false;
};
