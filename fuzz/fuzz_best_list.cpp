#include "competition/best_list_file.h"
#include "competition/best_list_view.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

// Any bytes as a best-list file: read, shown in the viewer's grid for one of the 16
// competitions, and printed.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const Result<QList<BestListEntry>> list = readBestList(buffer);
    // A buffer never fails to read, and the reader keeps to whole records, at most 16.
    if (!list ||
        list->size() != qMin<qsizetype>(qsizetype(size) / bestListRecordSize, bestListReadLimit))
        std::abort();
    const int competition = size > 0 ? 1 + data[0] % 16 : 1;
    const BestListGrid grid =
        bestListGrid(initialBestListGrid(), competition, *list, QStringLiteral("06.12.2026"),
                     QStringLiteral("17:06:29"));
    if (grid.size() != bestListGridRows)
        std::abort();
    bestListPrintout(grid, QStringLiteral("06.12.2026"), QStringLiteral("17:06:29"));
    return 0;
}
