#include "storage/task_set_file.h"
#include "storage/task_set_view.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

// Any bytes as a task-set file: read, shown in the viewer's grid and printed as a worksheet,
// once with every column and the stored header and once as an exercise sheet with a heading.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const Result<QList<TaskRecord>> records = loadTaskSet(buffer);
    if (!records ||
        records->size() != qMin<qsizetype>(qsizetype(size) / taskRecordSize, taskSetLimit))
        std::abort();
    const TaskSetGrid grid = taskSetGrid(*records);
    const QString date = QStringLiteral("06.12.2026");
    const QString time = QStringLiteral("17:06:29");
    taskSheetPrintout(grid, SheetOptions{}, date, time);
    SheetOptions exercise;
    exercise.header = SheetHeader::Heading;
    exercise.heading = QStringLiteral("Übung");
    exercise.withResult = false;
    exercise.withInput = false;
    taskSheetPrintout(grid, exercise, date, time);
    return 0;
}
