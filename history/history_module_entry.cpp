// The entry of the history module: the database store and the learning-progress window, made for
// a program that loaded the module at their first use.
#include "history/TForm_Lernverlauf.h"
#include "history/history_module.h"
#include "history/sqlite_history_store.h"

namespace {

class LernverlaufViewer : public HistoryViewer {
public:
    LernverlaufViewer(HistoryStore& store, Platform& platform, QWidget* parent,
                      PracticeRequest practice)
        : window_(store, platform, parent) {
        QObject::connect(&window_, &TForm_Lernverlauf::practiceRequested, &window_,
                         std::move(practice));
    }
    void openFromMainMenu() override { window_.openFromMainMenu(); }

private:
    TForm_Lernverlauf window_;
};

std::unique_ptr<HistoryStore> createStore(const QString& path) {
    return std::make_unique<SqliteHistoryStore>(path);
}

std::unique_ptr<HistoryViewer> createViewer(HistoryStore& store, Platform& platform,
                                            QWidget* parent, PracticeRequest practice) {
    return std::make_unique<LernverlaufViewer>(store, platform, parent, std::move(practice));
}

} // namespace

extern "C" Q_DECL_EXPORT const HistoryModule* kalumbrixtorHistoryModule() {
    static const HistoryModule module{createStore, createViewer};
    return &module;
}
