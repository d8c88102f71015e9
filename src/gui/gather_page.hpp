#pragma once
// The "采集" page: the address box and 添加到列表, the save path and 更改, the item list
// with its buttons and menu, the batch buttons and the activity log.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/program_state.hpp"
#include "gui/summary_window.hpp"
#include "gui/ui_channel.hpp"
#include "package/batch_runner.hpp"
#include "support/cancel_token.hpp"

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;

namespace tessaly {

struct Session;
class Prompts;
class ItemListModel;
class LogPane;

class GatherPage : public QWidget {
  Q_OBJECT

 public:
  // `settings` gives the configuration page's values each time a run reads them.
  GatherPage(Session& session, Prompts& prompts, std::function<RunSettings()> settings,
             QWidget* parent = nullptr);
  // Stops a batch still running and breaks off an add still fetching, then waits for
  // both, so no thread outlives the page.
  ~GatherPage() override;

  // The address box's text for each mode (None has none).
  static QString placeholder(AddressMode mode);
  // The label in front of the address box for each mode.
  static QString addressCaption(AddressMode mode);
  // A gather button of the navigation bar: a different mode resets the address box to
  // the mode's placeholder; the same mode keeps what the user typed.
  void chooseMode(AddressMode mode);

  // Writes a save path into the box and splits it into folder and base name.
  void setSavePath(const QString& path);

  ItemListModel* model() const { return model_; }
  QTableView* listView() const { return listView_; }
  QMenu* listMenu() const { return listMenu_; }
  LogPane* logPane() const { return logPane_; }
  BatchRunner& runner() { return *runner_; }
  // The summary window of the last completed run, while it is open.
  SummaryWindow* summaryWindow() const { return summaryWindow_; }
  // True while an add is fetching its page.
  bool adding() const { return addThread_.joinable(); }

 signals:
  // An add has returned (its crawl, if any, goes on by itself).
  void addFinished();
  void batchStateChanged(BatchState state);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildLayout();
  QWidget* buildListArea();
  void buildListMenu();
  void connectButtons();

  // Address and save path.
  void addToList();
  void changeSavePath();
  void splitSavePathBox();

  // The list (gather_page_list.cpp).
  void deleteSelected();
  void clearList();
  void importList();
  void exportList();
  void openListInSpreadsheet();
  void openItemLink();
  void copyCell(int column);
  int currentRow() const;
  void updateCount(int count);

  // The batch (gather_page_batch.cpp).
  void createRunner(std::function<RunSettings()> settings);
  void startBatch();
  void togglePause();
  void stopBatch();
  void applyBatchState(BatchState state);
  void showSummary();
  void runCompleted(const BatchSummary& summary);

  Session& session_;
  Prompts& prompts_;

  QLabel* addressLabel_ = nullptr;
  QLineEdit* addressBox_ = nullptr;
  QPushButton* addButton_ = nullptr;
  QLineEdit* savePathBox_ = nullptr;
  QPushButton* changeButton_ = nullptr;
  QTableView* listView_ = nullptr;
  QLabel* countLabel_ = nullptr;
  QPushButton* deleteButton_ = nullptr;
  QPushButton* clearButton_ = nullptr;
  QPushButton* importButton_ = nullptr;
  QPushButton* exportButton_ = nullptr;
  QPushButton* startButton_ = nullptr;
  QPushButton* pauseButton_ = nullptr;
  QPushButton* stopButton_ = nullptr;
  QPushButton* summaryButton_ = nullptr;  // "pms": opens the summary window
  QMenu* listMenu_ = nullptr;
  LogPane* logPane_ = nullptr;
  ItemListModel* model_ = nullptr;

  UiChannel channel_;
  // The save path as the worker writing the file reads it (the box is UI-only).
  std::mutex savePathMutex_;
  std::string savePathText_;
  std::unique_ptr<BatchRunner> runner_;
  BatchSummary lastSummary_;
  QPointer<SummaryWindow> summaryWindow_;

  std::thread addThread_;
  CancelToken addCancel_;
};

}  // namespace tessaly
