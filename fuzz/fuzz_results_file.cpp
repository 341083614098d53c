#include "storage/results_file.h"
#include "storage/results_view.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

// Any bytes as a results file: read, shown in the viewer's grid and printed.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const Result<QList<ResultRecord>> records = loadResults(buffer);
    if (!records ||
        records->size() != qMin<qsizetype>(qsizetype(size) / resultRecordSize, fullFileLimit))
        std::abort();
    const GridTexts grid = resultsGrid(*records);
    if (grid.size() != resultsGridRows)
        std::abort();
    resultsPrintout(grid, int(records->size()), QStringLiteral("06.12.2026"),
                    QStringLiteral("17:06:29"));
    return 0;
}
