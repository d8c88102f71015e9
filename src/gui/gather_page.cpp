#include "gui/gather_page.hpp"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "app/save_path.hpp"
#include "gui/item_list_model.hpp"
#include "gui/log_pane.hpp"
#include "gui/prompts.hpp"
#include "gui/qt_text.hpp"
#include "gui/session.hpp"
#include "gui/summary_window.hpp"

namespace tessaly {
namespace {

QPushButton* makeButton(const char* name, const char* caption, QSize size, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QString::fromUtf8(name));
  button->setFixedSize(size);
  return button;
}

// A caption in a framed box in front of an edit box ("商品地址：", "保存路径：").
QFrame* captionBox(const char* boxName, const char* labelName, const QString& text, QLabel** label,
                   QWidget* parent) {
  auto* box = new QFrame(parent);
  box->setObjectName(QString::fromUtf8(boxName));
  box->setFixedSize(116, 30);
  box->setFrameShape(QFrame::StyledPanel);
  auto* l = new QLabel(text, box);
  l->setObjectName(QString::fromUtf8(labelName));
  l->setAlignment(Qt::AlignCenter);
  QFont bold = l->font();
  bold.setBold(true);
  l->setFont(bold);
  auto* layout = new QHBoxLayout(box);
  layout->setContentsMargins(2, 0, 2, 0);
  layout->addWidget(l);
  if (label) *label = l;
  return box;
}

}  // namespace

QString GatherPage::placeholder(AddressMode mode) {
  switch (mode) {
    case AddressMode::Single:
      return QStringLiteral("请输入宝贝地址");
    case AddressMode::List:
      return QStringLiteral("请输入列表地址");
    case AddressMode::Shop:
      return QStringLiteral("请输入店铺地址");
    case AddressMode::None:
      break;
  }
  return {};
}

QString GatherPage::addressCaption(AddressMode mode) {
  switch (mode) {
    case AddressMode::Single:
      return QStringLiteral("宝贝地址：");
    case AddressMode::List:
      return QStringLiteral("列表地址：");
    case AddressMode::Shop:
      return QStringLiteral("店铺地址：");
    case AddressMode::None:
      break;
  }
  return QStringLiteral("商品地址：");
}

GatherPage::GatherPage(Session& session, Prompts& prompts, std::function<RunSettings()> settings,
                       QWidget* parent)
    : QWidget(parent), session_(session), prompts_(prompts) {
  setObjectName(QStringLiteral("GatherPage"));
  model_ = new ItemListModel(session_.items, this);
  buildLayout();
  buildListMenu();
  createRunner(std::move(settings));
  connectButtons();
  addressBox_->setText(placeholder(AddressMode::Single));
  addressBox_->installEventFilter(this);
  updateCount(model_->rowCount());
  applyBatchState(BatchState::Idle);
}

GatherPage::~GatherPage() {
  // Nothing waits on this page from here on: a completing worker is released at once.
  channel_.close();
  runner_->stop();
  runner_->wait();
  runner_.reset();
  addCancel_.cancel();
  if (addThread_.joinable()) addThread_.join();
}

void GatherPage::buildLayout() {
  auto* addressRow = new QHBoxLayout;
  addressRow->setSpacing(0);
  addressRow->addWidget(
      captionBox("图片框2", "透明标签1", addressCaption(AddressMode::None), &addressLabel_, this));
  addressBox_ = new QLineEdit(this);
  addressBox_->setObjectName(QStringLiteral("编辑框1"));
  addressBox_->setFixedSize(448, 30);
  addressRow->addWidget(addressBox_);
  addressRow->addSpacing(7);
  addButton_ = makeButton("添加到列表", "添加到列表", QSize(76, 30), this);
  addressRow->addWidget(addButton_);
  addressRow->addStretch(1);

  auto* saveRow = new QHBoxLayout;
  saveRow->setSpacing(0);
  saveRow->addWidget(captionBox("画板1", "透明标签5", QStringLiteral("保存路径："), nullptr, this));
  savePathBox_ = new QLineEdit(this);
  savePathBox_->setObjectName(QStringLiteral("编辑框3"));
  savePathBox_->setFixedSize(449, 30);
  saveRow->addWidget(savePathBox_);
  saveRow->addSpacing(7);
  changeButton_ = makeButton("添加到列表2", "更改", QSize(76, 30), this);
  saveRow->addWidget(changeButton_);
  saveRow->addStretch(1);

  auto* logFrame = new QTabWidget(this);
  logFrame->setObjectName(QStringLiteral("选择夹1"));
  logFrame->setFixedSize(688, 136);
  logPane_ = new LogPane(session_.log, logFrame);
  logPane_->setObjectName(QStringLiteral("编辑框2"));
  logFrame->addTab(logPane_, QStringLiteral("操作记录"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(7, 2, 7, 2);
  layout->setSpacing(5);
  layout->addLayout(addressRow);
  layout->addLayout(saveRow);
  layout->addSpacing(1);
  layout->addWidget(buildListArea());
  layout->addWidget(logFrame);
  layout->addStretch(1);
}

QWidget* GatherPage::buildListArea() {
  auto* area = new QFrame(this);
  area->setObjectName(QStringLiteral("图片框1"));
  area->setFixedSize(687, 248);

  listView_ = new QTableView(area);
  listView_->setObjectName(QStringLiteral("超级列表框1"));
  listView_->setModel(model_);
  listView_->setFixedSize(564, 248);
  listView_->setSelectionBehavior(QAbstractItemView::SelectRows);
  listView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  listView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  listView_->setContextMenuPolicy(Qt::CustomContextMenu);
  listView_->setAlternatingRowColors(true);
  listView_->setWordWrap(false);
  listView_->verticalHeader()->setDefaultSectionSize(22);
  listView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  listView_->horizontalHeader()->setHighlightSections(false);
  for (int c = 0; c < ItemListModel::kColumns; ++c)
    listView_->setColumnWidth(c, ItemListModel::columnWidth(c));

  auto* countCaption = new QLabel(QStringLiteral("宝贝数："), area);
  countCaption->setObjectName(QStringLiteral("透明标签2"));
  countLabel_ = new QLabel(QStringLiteral("0"), area);
  countLabel_->setObjectName(QStringLiteral("透明标签4"));
  QFont bold = countLabel_->font();
  bold.setBold(true);
  countLabel_->setFont(bold);
  countLabel_->setStyleSheet(QStringLiteral("color: #c0392b;"));
  countLabel_->setMinimumWidth(48);

  deleteButton_ = makeButton("按钮6", "删除", QSize(72, 24), area);
  clearButton_ = makeButton("按钮7", "清空", QSize(72, 24), area);
  importButton_ = makeButton("添加到列表1", "导入列表", QSize(72, 24), area);
  exportButton_ = makeButton("按钮8", "导出列表", QSize(72, 24), area);
  startButton_ = makeButton("开始", "生成数据包", QSize(91, 30), area);
  pauseButton_ = makeButton("暂停按钮", "暂停", QSize(91, 30), area);
  stopButton_ = makeButton("停止按钮", "停止", QSize(91, 30), area);
  QFont strong = startButton_->font();
  strong.setBold(true);
  startButton_->setFont(strong);
  // Never visible: a completing run clicks it so that its summary opens on the UI thread.
  summaryButton_ = new QPushButton(area);
  summaryButton_->setObjectName(QStringLiteral("pms"));
  summaryButton_->setGeometry(571, 39, 16, 48);
  summaryButton_->hide();

  auto* countRow = new QHBoxLayout;
  countRow->setSpacing(2);
  countRow->addWidget(countCaption);
  countRow->addWidget(countLabel_);
  countRow->addStretch(1);
  auto* side = new QVBoxLayout;
  side->setContentsMargins(0, 0, 0, 0);
  side->setSpacing(3);
  side->addLayout(countRow);
  for (QPushButton* b : {deleteButton_, clearButton_, importButton_, exportButton_})
    side->addWidget(b, 0, Qt::AlignHCenter);
  side->addSpacing(10);
  for (QPushButton* b : {startButton_, pauseButton_, stopButton_})
    side->addWidget(b, 0, Qt::AlignHCenter);
  side->addStretch(1);

  auto* layout = new QHBoxLayout(area);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(10);
  layout->addWidget(listView_);
  layout->addLayout(side);
  layout->addStretch(1);
  return area;
}

void GatherPage::connectButtons() {
  connect(addButton_, &QPushButton::clicked, this, &GatherPage::addToList);
  connect(changeButton_, &QPushButton::clicked, this, &GatherPage::changeSavePath);
  connect(savePathBox_, &QLineEdit::textChanged, this, [this](const QString& text) {
    std::lock_guard lock(savePathMutex_);
    savePathText_ = toGbk(text);
  });
  // A path typed by hand names the picture folder just as a chosen one does.
  connect(savePathBox_, &QLineEdit::textEdited, this, &GatherPage::splitSavePathBox);
  connect(model_, &ItemListModel::countChanged, this, &GatherPage::updateCount);
  connect(model_, &QAbstractItemModel::modelReset, this,
          [this] { updateCount(model_->rowCount()); });
  connect(deleteButton_, &QPushButton::clicked, this, &GatherPage::deleteSelected);
  connect(clearButton_, &QPushButton::clicked, this, &GatherPage::clearList);
  connect(importButton_, &QPushButton::clicked, this, &GatherPage::importList);
  connect(exportButton_, &QPushButton::clicked, this, &GatherPage::exportList);
  connect(listView_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { listMenu_->popup(listView_->viewport()->mapToGlobal(at)); });
  connect(startButton_, &QPushButton::clicked, this, &GatherPage::startBatch);
  connect(pauseButton_, &QPushButton::clicked, this, &GatherPage::togglePause);
  connect(stopButton_, &QPushButton::clicked, this, &GatherPage::stopBatch);
  connect(summaryButton_, &QPushButton::clicked, this, &GatherPage::showSummary);
}

bool GatherPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == addressBox_) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      const QString text = addressBox_->text();
      for (AddressMode mode : {AddressMode::Single, AddressMode::List, AddressMode::Shop})
        if (text == placeholder(mode)) {
          addressBox_->clear();
          break;
        }
    } else if (event->type() == QEvent::FocusOut && addressBox_->text().isEmpty()) {
      // Before any gather mode was picked there is no placeholder to restore.
      addressBox_->setText(placeholder(session_.state.addressMode.load()));
    }
  }
  return QWidget::eventFilter(watched, event);
}

void GatherPage::chooseMode(AddressMode mode) {
  if (mode != session_.state.addressMode.load()) addressBox_->setText(placeholder(mode));
  session_.state.addressMode.store(mode);
  addressLabel_->setText(addressCaption(mode));
}

void GatherPage::addToList() {
  if (addThread_.joinable()) return;
  // One click is handled to its end before the next: the button stays off until the
  // page fetch (and the start of any crawl) has returned.
  addButton_->setEnabled(false);
  addCancel_.reset();
  const std::string boxText = toGbk(addressBox_->text());
  addThread_ = std::thread([this, boxText, cancel = addCancel_] {
    FetchOptions options;
    options.cancel = cancel;
    session_.gatherer.addToList(boxText, options);
    channel_.post([this] {
      if (addThread_.joinable()) addThread_.join();
      addButton_->setEnabled(true);
      emit addFinished();
    });
  });
}

void GatherPage::setSavePath(const QString& path) {
  savePathBox_->setText(path);
  splitSavePathBox();
}

void GatherPage::splitSavePathBox() {
  const SavePathParts parts = splitSavePath(toGbk(savePathBox_->text()));
  session_.state.saveFolder = parts.folder;
  session_.state.saveBaseName = parts.baseName;
}

void GatherPage::changeSavePath() {
  QString path =
      prompts_.saveFileName(this, QStringLiteral("逗号分隔符文件(*.csv)"), QStringLiteral("csv"));
  if (path.isEmpty()) return;
  savePathBox_->setText(path);
  if (!path.contains(QLatin1Char('.'))) savePathBox_->setText(path + QStringLiteral(".csv"));
  splitSavePathBox();
  if (session_.state.saveBaseName.empty()) {
    prompts_.message(this, QStringLiteral("提示"), QStringLiteral("请检查文件名是否正确！"));
    savePathBox_->clear();
  }
}

}  // namespace tessaly
