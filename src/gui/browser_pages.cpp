#include "gui/browser_pages.hpp"

#include <QFrame>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "gui/prompts.hpp"
#include "gui/qt_text.hpp"
#include "net/fetch.hpp"

namespace tessaly {
namespace {

const char* const kIntroduction =
    "1、采集宝贝：选择单个采集、列表采集或店铺采集，输入宝贝、店铺分类或店铺首页的地址，"
    "点击“添加到列表”。列表可以导出保存，下次直接导入。\n\n"
    "2、下载配置：设置描述图片、价格比例、统一库存、文字替换和数据包版本，点击“保存配置”。\n\n"
    "3、生成数据包：选好保存路径，点击“生成数据包”，即得到淘宝助理可以导入的数据包和图片，"
    "过程中可随时暂停或停止。";

QTextBrowser* makeBrowser(const char* name, Prompts& prompts, QWidget* parent) {
  auto* browser = new QTextBrowser(parent);
  browser->setObjectName(QString::fromUtf8(name));
  // Links leave the program: the desktop's browser opens them.
  browser->setOpenLinks(false);
  QObject::connect(browser, &QTextBrowser::anchorClicked, browser,
                   [browser, &prompts](const QUrl& link) {
                     prompts.openExternally(browser->document()->baseUrl().resolved(link));
                   });
  return browser;
}

}  // namespace

PageLoader::PageLoader(QTextBrowser* browser, QObject* parent)
    : QObject(parent), browser_(browser) {}

PageLoader::~PageLoader() {
  cancel_.cancel();
  if (thread_.joinable()) thread_.join();
}

void PageLoader::load(const std::string& address) {
  if (thread_.joinable()) return;  // one page per box, fetched once
  thread_ = std::thread([this, address, cancel = cancel_] {
    FetchOptions options;
    options.cancel = cancel;
    std::string page = fetchUrl(address, options);
    // Queued to this object: if it is gone by then, the text is dropped with it.
    QMetaObject::invokeMethod(
        this,
        [this, address, page = std::move(page)] {
          thread_.join();
          loaded_ = !page.empty();
          if (loaded_) {
            browser_->setHtml(fromGbk(page));
            browser_->document()->setBaseUrl(QUrl(fromGbk(address)));
          }
          emit finished(loaded_);
        },
        Qt::QueuedConnection);
  });
}

StartPage::StartPage(Prompts& prompts, QWidget* parent) : QWidget(parent), prompts_(prompts) {
  setObjectName(QStringLiteral("StartPage"));
  auto* introduction = new QPlainTextEdit(QString::fromUtf8(kIntroduction), this);
  introduction->setObjectName(QStringLiteral("编辑框7"));
  introduction->setReadOnly(true);
  introduction->setFixedSize(288, 240);
  news_ = makeBrowser("超文本浏览框1", prompts, this);
  news_->setFixedSize(384, 240);
  newsLoader_ = new PageLoader(news_, this);

  auto* separator = new QFrame(this);
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);
  auto* manual = new QPushButton(QStringLiteral("使用说明"), this);
  manual->setObjectName(QStringLiteral("按钮2"));
  manual->setFixedSize(96, 30);
  connect(manual, &QPushButton::clicked, this, [this] {
    if (!helpAddress_.empty()) prompts_.openExternally(QUrl(fromGbk(helpAddress_)));
  });

  auto* top = new QHBoxLayout;
  top->setSpacing(6);
  top->addWidget(introduction);
  top->addWidget(news_);
  top->addStretch(1);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(manual);
  bottom->addSpacing(8);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 21, 6, 8);
  layout->addLayout(top);
  layout->addSpacing(10);
  layout->addWidget(separator);
  layout->addLayout(bottom);
  layout->addStretch(1);
}

void StartPage::loadVendorPages(const std::string& vendorService) {
  helpAddress_ = vendorService + "/kvrthelp.html";
  newsLoader_->load(vendorService + "/news.html");
}

HelpPage::HelpPage(Prompts& prompts, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("HelpPage"));
  help_ = makeBrowser("超文本浏览框2", prompts, this);
  help_->setGeometry(1, 28, 700, 361);
  helpLoader_ = new PageLoader(help_, this);
}

void HelpPage::loadVendorPages(const std::string& vendorService) {
  helpLoader_->load(vendorService + "/kvrthelp.html");
}

void HelpPage::setBrowserHeight(int height) {
  help_->resize(help_->width(), height);
}

}  // namespace tessaly
