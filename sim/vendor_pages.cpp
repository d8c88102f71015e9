#include "vendor_pages.hpp"

#include "support/gbk.hpp"

namespace tessaly::sim {
namespace {

std::string page(std::string_view title, std::string_view body) {
  std::string p = "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html>\n<head>\n"
                  "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">\n<title>";
  p += std::string(title) + "</title>\n";
  p += "<style type=\"text/css\">\nbody{font:12px/1.8 \\5b8b\\4f53,arial;color:#333;margin:8px}\n"
       "h2{font-size:14px;color:#c30;border-bottom:1px solid #ddd;margin:12px 0 6px}\n"
       "li{margin:2px 0}code{color:#06c}.date{color:#999}\n</style>\n</head>\n<body>\n";
  p += std::string(body) + "</body>\n</html>\n";
  return utf8ToGbk(p);
}

}  // namespace

std::string keyListDocument(const Catalogue& catalogue) {
  std::string x = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<apps version=\"3.06\">\n";
  int n = 1;
  for (const KeyPair& k : catalogue.keys())
    x += "  <app id=\"" + std::to_string(n++) + "\" appkey=\"" + k.appKey + "\" appsecret=\"" +
         k.appSecret + "\" />\n";
  return x + "</apps>\n";
}

std::string newsPage(const Catalogue& catalogue, const Hosts& hosts) {
  std::string b;
  b += "<h2>最新动态</h2>\n<ul>\n";
  b += "<li><span class=\"date\">[公告]</span> V3.06 已发布：生成数据包时五个线程同时下载，"
       "遇到接口繁忙会自动更换下一组App参数继续处理。</li>\n";
  b += "<li><span class=\"date\">[新功能]</span> 支持生成淘宝助理4.X和5.X两种格式的数据包，"
       "在“下载配置”页面选择后点“保存配置”即可。</li>\n";
  b += "<li><span class=\"date\">[新功能]</span> 描述图片可以下载到本地，下载失败时可选择"
       "“保持不变”、“删除图片”或“重新下载 仍失败删除”。</li>\n";
  b += "<li><span class=\"date\">[改进]</span> 店铺采集支持普通店铺、旺铺和店铺街三种页面，"
       "超大的店铺页面也能正确识别宝贝。</li>\n";
  b += "<li><span class=\"date\">[提示]</span> 价格可以按百分比统一调整，库存可以统一设置，"
       "方便新店快速上架。</li>\n</ul>\n";
  b += "<h2>演示店铺</h2>\n<p>当前连接的是离线演示市场，下面的地址可以直接复制到“商品地址”框中试用：</p>\n<ul>\n";
  for (const Shop& shop : catalogue.shops()) {
    b += "<li>" + shop.name + "（" + std::string(styleName(shop.style)) + "，" +
         std::to_string(shop.items.size()) + "件宝贝）：店铺地址 <code>http://" +
         hosts.shop(shop.number) + "/</code>";
    if (!shop.categories.empty())
      b += "，分类地址 <code>http://" + hosts.shop(shop.number) + "/category-" +
           shop.categories.front().id + ".htm</code>";
    if (!shop.items.empty())
      b += "，宝贝地址 <code>http://" + hosts.host("item") + "/item.htm?id=" +
           catalogue.items()[shop.items.front()].id + "</code>";
    b += "</li>\n";
  }
  b += "</ul>\n";
  return page("最新动态", b);
}

std::string helpPage(const Hosts& hosts) {
  std::string b;
  b += "<h1>使用说明</h1>\n<p>本软件把任意店铺的宝贝复制成淘宝助理可以导入的数据包（CSV文件和图片文件夹），"
       "新店铺几分钟就能上架。整个过程分为三步：采集、配置、生成。</p>\n";
  b += "<h2>第一步：采集宝贝</h2>\n<ol>\n";
  b += "<li>点顶部的“单个采集”、“列表采集”或“店铺采集”，选择要输入的地址类型。</li>\n";
  b += "<li>单个采集：输入宝贝页面地址，例如 <code>http://" + hosts.host("item") +
       "/item.htm?id=宝贝ID</code>，点“添加到列表”，宝贝马上出现在列表里。</li>\n";
  b += "<li>列表采集：打开店铺的某个分类，复制浏览器地址栏里的地址（含有 <code>category-</code>、"
       "<code>&amp;scid=</code> 或 <code>&amp;catId=</code>），粘贴后点“添加到列表”。</li>\n";
  b += "<li>店铺采集：输入店铺首页地址，例如 <code>http://" + hosts.shop(1) +
       "/</code>，软件会先读取总页数，再用五个线程逐页采集。</li>\n";
  b += "<li>采集过程显示在下方的“操作记录”里；“宝贝数”会随时更新。</li>\n";
  b += "<li>列表可以“删除”选中的宝贝、“清空”，也可以“导出列表”保存，下次用“导入列表”继续使用。"
       "在列表上点右键可以复制宝贝地址和名称，或用EXCEL打开宝贝列表。</li>\n</ol>\n";
  b += "<h2>第二步：下载配置</h2>\n<ol>\n";
  b += "<li>点顶部的“下载配置”。</li>\n";
  b += "<li>宝贝图片选项：勾选“下载描述图片”会把描述里的图片保存到本地；再勾选“只下载淘宝空间图片”"
       "则跳过其他网站的图片。描述图片下载失败时的处理方式建议选择带删除的选项。</li>\n";
  b += "<li>宝贝信息选项：勾选“价格调整”并填写百分比，例如填110表示所有价格上浮10％；"
       "勾选“库存统一为”并填写数量，所有销售属性的库存都改为这个数。</li>\n";
  b += "<li>生成选项：根据您使用的淘宝助理版本选择“生成淘宝助理4.X数据”或“生成淘宝助理5.X数据”。</li>\n";
  b += "<li>最后点“保存配置”，看到“已经保存！”即可。</li>\n</ol>\n";
  b += "<h2>第三步：生成数据包</h2>\n<ol>\n";
  b += "<li>回到采集页面，点“保存路径”后面的“更改”选择CSV文件的保存位置（默认保存在软件目录下）。</li>\n";
  b += "<li>点“生成数据包”，五个线程同时获取宝贝信息、描述和图片。需要时可以点“暂停”，"
       "更换网络后再点“继续”；点“停止”结束本次生成。</li>\n";
  b += "<li>全部完成后会弹出“复制完成！”窗口，显示总数、成功数和失败数。</li>\n";
  b += "<li>打开淘宝助理，选择“导入CSV”，选中生成的CSV文件即可，图片文件夹要和CSV文件放在一起。</li>\n</ol>\n";
  b += "<h2>常见问题</h2>\n<ul>\n";
  b += "<li>提示“地址输入不正确，未识别到宝贝！”：请检查地址是否完整，是否选对了采集方式。</li>\n";
  b += "<li>操作记录里出现“淘宝接口忙”：软件会自动换用下一组App参数，也可以点“暂停”更换IP后再继续。</li>\n";
  b += "<li>启动时提示“预定信息 加载失败，请重新启动--”：请检查网络连接后重新打开软件。</li>\n</ul>\n";
  return page("使用说明", b);
}

}  // namespace tessaly::sim
