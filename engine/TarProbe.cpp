#include "engine/TarProbe.h"

#include "engine/SystemError.h"
#include "engine/FileNames.h"
#include "engine/ProcessRunner.h"

#include <fcntl.h>
#include <unistd.h>

TarHeader::Kind TarProbe::firstBlock(const QString &tool, const QString &archive)
{
    // Written to once the block is in: the runner then stops the tool.
    int stop[2];
    if (::pipe2(stop, O_CLOEXEC) != 0)
        return TarHeader::Kind::Other;
    QByteArray block;
    ProcessRunner::Options options;
    options.keepLimit = 0;
    options.cancelFd = stop[0];
    options.graceMs = 10;
    options.onOutput = [&block, &stop](int, QByteArrayView chunk) {
        if (block.size() >= TarHeader::kBlockSize)
            return;
        block.append(chunk.first(std::min(chunk.size(), TarHeader::kBlockSize - block.size())));
        if (block.size() == TarHeader::kBlockSize)
            (void)!::write(stop[1], "", 1);
    };
    // With -so the output is the stream alone; -bse0 keeps errors out of it.
    const QStringList arguments{QStringLiteral("x"), QStringLiteral("-so"), QStringLiteral("-bso0"),
                                QStringLiteral("-bse0"), QStringLiteral("-bsp0"), QStringLiteral("-spd"),
                                QStringLiteral("--"), archive};
    // A stream damaged past its first block is still a tar: the run on it
    // tells the damage. One shorter than a block is none.
    if (!ProcessRunner::run(tool, arguments, options).problem.isEmpty())
        block.clear();
    ::close(stop[0]);
    ::close(stop[1]);
    return TarHeader::classify(block);
}

bool TarProbe::nameSaysTar(const QString &archive)
{
    static const QStringList shortForms{QStringLiteral("tgz"), QStringLiteral("tpz"), QStringLiteral("txz"),
                                        QStringLiteral("tbz2"), QStringLiteral("tbz"), QStringLiteral("tzst"),
                                        QStringLiteral("taz")};
    const QString extension = FileNames::lastExtension(archive).toLower();
    return shortForms.contains(extension)
        || (!extension.isEmpty()
            && FileNames::lastExtension(FileNames::withoutLastExtension(archive)).toLower() == QLatin1String("tar"));
}

bool TarProbe::holdsTar(TarHeader::Kind firstBlock, const QString &archive)
{
    switch (firstBlock) {
    case TarHeader::Kind::Header:
        return true;
    case TarHeader::Kind::Zeros:
    case TarHeader::Kind::Short:
        return nameSaysTar(archive);
    case TarHeader::Kind::Other:
        break;
    }
    return false;
}
