#pragma once
// The "配置" page: every setting of the package generation. Each edit goes into the
// options store at once, so a change applies to the next item without a save; only the
// picture failure mode waits for "保存配置".
#include <QWidget>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessaly {

class OptionsStore;
class Prompts;

class ConfigPage : public QWidget {
  Q_OBJECT

 public:
  // The page edits `store`; "保存配置" writes it to the file at `optionsPath` (GBK).
  ConfigPage(OptionsStore& store, std::string optionsPath, Prompts& prompts,
             QWidget* parent = nullptr);

  // Reads the options file into the store and shows it (start-up).
  void loadOptions();
  // "保存配置": writes the store to the file and tells the user how it went.
  void saveOptions();

 private:
  void buildLayout();
  void showOptions();
  void connectEdits();

  OptionsStore& store_;
  const std::string optionsPath_;
  Prompts& prompts_;

  QCheckBox* downloadDesc_ = nullptr;   // 选择框6
  QCheckBox* hostedOnly_ = nullptr;     // 选择框7
  QComboBox* failureMode_ = nullptr;    // 组合框1
  QCheckBox* adjustPrice_ = nullptr;    // 选择框1
  QLineEdit* pricePercent_ = nullptr;   // 编辑框4
  QLineEdit* priceDecimals_ = nullptr;  // 编辑框6
  QCheckBox* unifyStock_ = nullptr;     // 选择框2
  QLineEdit* stockValue_ = nullptr;     // 编辑框5
  QLineEdit* replaceFrom_[3] = {};      // 价格1, 价格2, 价格3
  QLineEdit* replaceTo_[3] = {};        // 价格11, 价格22, 价格33
  QRadioButton* version4_ = nullptr;    // 单选框1
  QRadioButton* version5_ = nullptr;    // 单选框2
  QPushButton* saveButton_ = nullptr;   // 按钮4
  bool showing_ = false;                // filling the controls from the store
};

}  // namespace tessaly
