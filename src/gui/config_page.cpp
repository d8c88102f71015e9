#include "gui/config_page.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "config/options.hpp"
#include "config/options_file.hpp"
#include "gui/prompts.hpp"
#include "gui/qt_text.hpp"

namespace tessaly {
namespace {

QLabel* label(const QString& text, QWidget* parent) {
  return new QLabel(text, parent);
}

QLineEdit* box(const char* name, int width, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromUtf8(name));
  edit->setFixedWidth(width);
  return edit;
}

QCheckBox* checkBox(const char* name, const char* caption, QWidget* parent) {
  auto* check = new QCheckBox(QString::fromUtf8(caption), parent);
  check->setObjectName(QString::fromUtf8(name));
  return check;
}

QLabel* sectionCaption(const char* caption, QWidget* parent) {
  auto* title = label(QString::fromUtf8(caption), parent);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  return title;
}

QFrame* sectionRule(QWidget* parent) {
  auto* rule = new QFrame(parent);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  rule->setFixedSize(500, 2);
  return rule;
}

// A row of controls, indented from the rules' left end.
QHBoxLayout* indented(int indent) {
  auto* row = new QHBoxLayout;
  row->setContentsMargins(indent, 0, 0, 0);
  row->setSpacing(6);
  return row;
}

std::string text(const QLineEdit* edit) {
  return toGbk(edit->text());
}

}  // namespace

ConfigPage::ConfigPage(OptionsStore& store, std::string optionsPath, Prompts& prompts,
                       QWidget* parent)
    : QWidget(parent), store_(store), optionsPath_(std::move(optionsPath)), prompts_(prompts) {
  setObjectName(QStringLiteral("ConfigPage"));
  buildLayout();
  showOptions();
  connectEdits();
}

void ConfigPage::buildLayout() {
  auto* frame = new QTabWidget(this);
  frame->setObjectName(QStringLiteral("选择夹2"));
  frame->setFixedSize(687, 457);
  auto* sheet = new QWidget(frame);
  frame->addTab(sheet, QStringLiteral("宝贝采集设置"));

  downloadDesc_ = checkBox("选择框6", "下载描述图片", sheet);
  hostedOnly_ = checkBox("选择框7", "只下载淘宝空间图片", sheet);
  failureMode_ = new QComboBox(sheet);
  failureMode_->setObjectName(QStringLiteral("组合框1"));
  failureMode_->setFixedWidth(184);
  for (int mode = 1; mode <= 3; ++mode)
    failureMode_->addItem(fromGbk(pictureFailureModeText(mode)));
  failureMode_->setCurrentIndex(-1);
  adjustPrice_ = checkBox("选择框1", "价格调整", sheet);
  pricePercent_ = box("编辑框4", 32, sheet);
  priceDecimals_ = box("编辑框6", 48, sheet);
  unifyStock_ = checkBox("选择框2", "库存统一为", sheet);
  stockValue_ = box("编辑框5", 48, sheet);
  const char* const fromNames[3] = {"价格1", "价格2", "价格3"};
  const char* const toNames[3] = {"价格11", "价格22", "价格33"};
  for (int i = 0; i < 3; ++i) {
    replaceFrom_[i] = box(fromNames[i], 158, sheet);
    replaceTo_[i] = box(toNames[i], 168, sheet);
  }
  version4_ = new QRadioButton(QStringLiteral("生成淘宝助理4.X数据"), sheet);
  version4_->setObjectName(QStringLiteral("单选框1"));
  version5_ = new QRadioButton(QStringLiteral("生成淘宝助理5.X数据"), sheet);
  version5_->setObjectName(QStringLiteral("单选框2"));
  auto* versions = new QButtonGroup(this);
  versions->addButton(version4_);
  versions->addButton(version5_);
  saveButton_ = new QPushButton(QStringLiteral("保存配置"), sheet);
  saveButton_->setObjectName(QStringLiteral("按钮4"));
  saveButton_->setFixedSize(80, 32);

  // Section captions stand in a column of their own at the left; rules and controls
  // line up to the right of it.
  auto* grid = new QGridLayout(sheet);
  grid->setContentsMargins(25, 14, 20, 10);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(5);
  grid->setColumnMinimumWidth(0, 90);
  grid->setColumnStretch(1, 1);
  int row = 0;
  auto caption = [&](const char* text) {
    grid->addWidget(sectionCaption(text, sheet), row, 0, Qt::AlignVCenter);
  };
  auto rule = [&] {
    grid->addWidget(sectionRule(sheet), row++, 1, Qt::AlignVCenter | Qt::AlignLeft);
  };
  auto controls = [&](QHBoxLayout* line) { grid->addLayout(line, row++, 1); };

  caption("宝贝图片选项");
  rule();
  auto* pictureRow = indented(15);
  pictureRow->addWidget(downloadDesc_);
  pictureRow->addSpacing(12);
  pictureRow->addWidget(hostedOnly_);
  pictureRow->addSpacing(6);
  pictureRow->addWidget(label(QStringLiteral("（只有“下载描述图片”选择时才有效）"), sheet));
  pictureRow->addStretch(1);
  controls(pictureRow);
  rule();
  auto* failureRow = indented(6);
  failureRow->addWidget(label(QStringLiteral("描述图片下载失败处理方式："), sheet));
  failureRow->addWidget(failureMode_);
  failureRow->addWidget(label(QStringLiteral("（建议选择带删除的选项）"), sheet));
  failureRow->addStretch(1);
  controls(failureRow);

  grid->setRowMinimumHeight(row++, 8);
  caption("宝贝信息选项");
  auto* priceRow = indented(3);
  priceRow->addWidget(label(QStringLiteral("宝贝价格："), sheet));
  priceRow->addWidget(adjustPrice_);
  priceRow->addWidget(pricePercent_);
  priceRow->addWidget(label(QStringLiteral("％ 保留小数位"), sheet));
  priceRow->addWidget(priceDecimals_);
  priceRow->addStretch(1);
  controls(priceRow);
  auto* stockRow = indented(3);
  stockRow->addWidget(label(QStringLiteral("宝贝库存："), sheet));
  stockRow->addWidget(unifyStock_);
  stockRow->addWidget(stockValue_);
  stockRow->addStretch(1);
  controls(stockRow);

  grid->setRowMinimumHeight(row++, 8);
  caption("替换设置");
  rule();
  const char* const rowCaptions[3] = {"替换一：", "替换二：", "替换三："};
  for (int i = 0; i < 3; ++i) {
    auto* line = indented(14);
    line->addWidget(label(QString::fromUtf8(rowCaptions[i]), sheet));
    line->addWidget(replaceFrom_[i]);
    line->addWidget(label(QStringLiteral("-->"), sheet));
    line->addWidget(replaceTo_[i]);
    line->addStretch(1);
    controls(line);
  }
  auto* note = new QGroupBox(sheet);
  note->setObjectName(QStringLiteral("分组框1"));
  auto* noteLayout = new QVBoxLayout(note);
  noteLayout->setContentsMargins(10, 6, 10, 6);
  noteLayout->addWidget(
      label(QStringLiteral("说明： 替换只是简单的替换，比如QQ、手机号等\n"
                           "       替换的对象是 宝贝标题跟宝贝描述信息里面的内容"),
            note));
  auto* noteRow = indented(14);
  noteRow->addWidget(note);
  noteRow->addStretch(1);
  controls(noteRow);

  grid->setRowMinimumHeight(row++, 8);
  caption("生成选项");
  rule();
  auto* versionRow = indented(15);
  versionRow->addWidget(version4_);
  versionRow->addSpacing(20);
  versionRow->addWidget(version5_);
  versionRow->addStretch(1);
  versionRow->addWidget(saveButton_);
  versionRow->addSpacing(30);
  controls(versionRow);
  grid->setRowStretch(row, 1);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(7, 5, 0, 0);
  outer->addWidget(frame);
  outer->addStretch(1);
}

void ConfigPage::connectEdits() {
  auto onCheck = [this](QCheckBox* check, bool Options::*field) {
    connect(check, &QCheckBox::toggled, this, [this, field](bool on) {
      if (!showing_) store_.set(field, on);
    });
  };
  onCheck(downloadDesc_, &Options::downloadDescPictures);
  onCheck(hostedOnly_, &Options::hostedPicturesOnly);
  onCheck(adjustPrice_, &Options::adjustPrice);
  onCheck(unifyStock_, &Options::unifyStock);
  // The second picture option only means something while descriptions are downloaded.
  connect(downloadDesc_, &QCheckBox::toggled, this, [this](bool on) {
    hostedOnly_->setEnabled(on);
    if (!showing_) store_.set(&Options::hostedPicturesOnlyEnabled, on);
  });

  auto onText = [this](QLineEdit* edit, std::string Options::*field) {
    connect(edit, &QLineEdit::textChanged, this, [this, edit, field] {
      if (!showing_) store_.set(field, text(edit));
    });
  };
  onText(pricePercent_, &Options::pricePercent);
  onText(priceDecimals_, &Options::priceDecimals);
  onText(stockValue_, &Options::stockValue);
  std::string Options::*const froms[3] = {&Options::replaceFrom1, &Options::replaceFrom2,
                                          &Options::replaceFrom3};
  std::string Options::*const tos[3] = {&Options::replaceTo1, &Options::replaceTo2,
                                        &Options::replaceTo3};
  for (int i = 0; i < 3; ++i) {
    onText(replaceFrom_[i], froms[i]);
    onText(replaceTo_[i], tos[i]);
  }

  // The combo's choice is only a selection until it is saved: the store's active mode,
  // which the workers read, changes only through loading and saving.
  connect(failureMode_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!showing_)
      store_.set(&Options::pictureFailureMode, index < 0 ? int(kNoPictureFailureMode) : index + 1);
  });
  connect(version4_, &QRadioButton::toggled, this, [this](bool on) {
    if (!showing_) store_.set(&Options::packageVersion, on ? 4 : 5);
  });
  connect(saveButton_, &QPushButton::clicked, this, &ConfigPage::saveOptions);
}

void ConfigPage::showOptions() {
  const Options o = store_.snapshot();
  showing_ = true;
  downloadDesc_->setChecked(o.downloadDescPictures);
  hostedOnly_->setChecked(o.hostedPicturesOnly);
  hostedOnly_->setEnabled(o.downloadDescPictures);
  failureMode_->setCurrentIndex(
      o.pictureFailureMode >= 1 && o.pictureFailureMode <= 3 ? o.pictureFailureMode - 1 : -1);
  adjustPrice_->setChecked(o.adjustPrice);
  pricePercent_->setText(fromGbk(o.pricePercent));
  priceDecimals_->setText(fromGbk(o.priceDecimals));
  unifyStock_->setChecked(o.unifyStock);
  stockValue_->setText(fromGbk(o.stockValue));
  const std::string* froms[3] = {&o.replaceFrom1, &o.replaceFrom2, &o.replaceFrom3};
  const std::string* tos[3] = {&o.replaceTo1, &o.replaceTo2, &o.replaceTo3};
  for (int i = 0; i < 3; ++i) {
    replaceFrom_[i]->setText(fromGbk(*froms[i]));
    replaceTo_[i]->setText(fromGbk(*tos[i]));
  }
  (o.packageVersion == 4 ? version4_ : version5_)->setChecked(true);
  showing_ = false;
}

void ConfigPage::loadOptions() {
  tessaly::loadOptions(optionsPath_, store_);
  // The page decides this one itself: the second box is usable exactly while the first
  // is ticked.
  store_.set(&Options::hostedPicturesOnlyEnabled, store_.get(&Options::downloadDescPictures));
  showOptions();
}

void ConfigPage::saveOptions() {
  const SaveOptionsResult result = tessaly::saveOptions(optionsPath_, store_);
  switch (result.outcome) {
    case SaveOptionsResult::Outcome::Saved:
      prompts_.message(this, QStringLiteral("提示"), QStringLiteral("已经保存！"));
      return;
    case SaveOptionsResult::Outcome::NoPictureFailureMode:
      prompts_.message(this, QString(), QStringLiteral("请设置图片下载失败处理方式"));
      return;
    case SaveOptionsResult::Outcome::WriteFailed:
      prompts_.message(this, QStringLiteral("提示"),
                       QStringLiteral("配置保存失败，请检查程序目录是否可写！"));
      return;
  }
}

}  // namespace tessaly
