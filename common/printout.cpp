#include "common/printout.h"

#include <algorithm>

QList<int> printedPages(int pageCount, const PageSelection& selection) {
    QList<int> pages;
    for (int page = 1; page <= pageCount; ++page) {
        const bool chosen =
            selection.spans.isEmpty() ||
            std::any_of(selection.spans.begin(), selection.spans.end(),
                        [page](const PageSpan& s) { return s.first <= page && page <= s.last; });
        if (chosen)
            pages.append(page);
    }
    if (selection.lastPageFirst)
        std::reverse(pages.begin(), pages.end());

    const int copies = qMax(1, selection.copies);
    QList<int> printed;
    printed.reserve(pages.size() * copies);
    if (selection.collateCopies) {
        for (int copy = 0; copy < copies; ++copy)
            printed.append(pages);
    } else {
        for (int page : pages)
            printed.append(QList<int>(copies, page));
    }
    return printed;
}

Printout withPages(const Printout& printout, const QList<int>& pages) {
    // The operations of page n are those between the (n-1)th and the nth page break.
    QList<QList<PrintOperation>> byPage(1);
    for (const PrintOperation& op : printout.operations) {
        if (std::holds_alternative<PrintNewPage>(op))
            byPage.append(QList<PrintOperation>());
        else
            byPage.last().append(op);
    }
    // One page break, copied where needed: GCC 12 at -O3 takes a temporary one moved into the
    // variant for uninitialised text and stops the optimised build.
    static const PrintOperation pageBreak = PrintNewPage{};
    Printout result;
    result.fontHeight = printout.fontHeight;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0)
            result.operations.append(pageBreak);
        const int page = pages[i];
        if (page >= 1 && page <= byPage.size())
            result.operations.append(byPage[page - 1]);
    }
    return result;
}

QString printFileName(const QStringList& parts) {
    QStringList kept;
    for (const QString& part : parts) {
        if (!part.trimmed().isEmpty())
            kept.append(part.trimmed());
    }
    QString name = kept.join(QLatin1Char(' '));
    static const QString unsafe = QStringLiteral("/\\:*?\"<>|");
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || unsafe.contains(c))
            c = QLatin1Char('_');
    }
    // A leading dot would hide the file.
    if (name.startsWith(QLatin1Char('.')))
        name[0] = QLatin1Char('_');
    if (name.isEmpty())
        name = QStringLiteral("Ausdruck");
    return name + QStringLiteral(".pdf");
}
