#include "history/windows/history_reader.h"

#include <QPointer>
#include <QThread>

HistoryReader::HistoryReader(HistoryStore& store, QObject* parent)
    : QObject(parent), store_(store), factory_(store.readerFactory()) {
    if (!factory_)
        return;
    thread_ = new QThread(this);
    thread_->setObjectName(QStringLiteral("Lernverlauf lesen"));
    worker_ = new QObject;
    worker_->moveToThread(thread_);
    thread_->start();
}

HistoryReader::~HistoryReader() {
    if (!thread_)
        return;
    latest_ = 0;
    // The store's connection is closed on the thread that opened it.
    QMetaObject::invokeMethod(
        worker_, [this] { threadStore_.reset(); }, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    delete worker_;
}

void HistoryReader::read(Job job) {
    const quint64 number = ++latest_;
    busy_ = true;
    if (!thread_) {
        const Finish finish = job(store_);
        busy_ = false;
        if (finish)
            finish();
        return;
    }
    QMetaObject::invokeMethod(
        worker_,
        [this, number, job = std::move(job)] {
            // A job that a later one replaced before it began is not worth reading.
            if (number != latest_)
                return;
            if (!threadStore_)
                threadStore_ = factory_();
            Finish finish = job(*threadStore_);
            // Posted to this object: should it be gone by then, the result goes with it.
            QMetaObject::invokeMethod(
                this,
                [this, number, finish = std::move(finish)] {
                    if (number != latest_)
                        return;
                    busy_ = false;
                    if (finish)
                        finish();
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}
