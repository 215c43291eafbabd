// libFuzzer entry: the listing parser must give the same entries however
// its input is cut, and the path screen must be sound on every path.
#include "ListingProperties.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString problem = ListingProperties::allHold(text);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "property broken: %s\n", problem.toUtf8().constData());
        std::abort();
    }
    return 0;
}
