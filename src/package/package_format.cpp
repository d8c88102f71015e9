#include "package/package_format.hpp"

#include "support/gbk.hpp"
#include "support/text.hpp"

namespace tessaly {
namespace {

enum class Quote { No, Yes, Escaped };

struct RowBuilder {
  std::string row;
  bool first = true;

  void add(std::string_view value, Quote quote) {
    if (!first) row += ',';
    first = false;
    const bool needsQuotes = value.find_first_of(",\"\r\n") != std::string_view::npos;
    if (quote == Quote::No && !needsQuotes) {
      row += value;
      return;
    }
    row += '"';
    row += quote == Quote::Escaped ? std::string(value) : replaceAll(value, "\"", "\"\"");
    row += '"';
  }
};

}  // namespace

std::string packageHeader(int packageVersion) {
  if (packageVersion == 4) {
    static const std::string k4 = gbk(
        "宝贝名称,宝贝类目,店铺类目,新旧程度,省,城市,出售方式,宝贝价格,加价幅度,宝贝数量,有效期,"
        "运费承担,平邮,EMS,快递,付款方式,支付宝,发票,保修,自动重发,放入仓库,橱窗推荐,开始时间,"
        "心情故事,宝贝描述,宝贝图片,宝贝属性,团购价,最小团购件数,邮费模版ID,会员打折,修改时间,"
        "上传状态,图片状态,返点比例,新图片,视频,销售属性组合,用户输入ID串,用户输入名-值对,商家编码,"
        "销售属性别名,代充类型,宝贝编号,数字ID,宝贝链接 \r\n");
    return k4;
  }
  static const std::string k5 =
      "version 1.00" + std::string(43, ',') + "\r\n" +
      "title,cid,seller_cids,stuff_status,location_state,location_city,item_type,price,"
      "auction_increment,num,valid_thru,freight_payer,post_fee,ems_fee,express_fee,has_invoice,"
      "has_warranty,approve_status,has_showcase,list_time,description,cateProps,postage_id,"
      "has_discount,modified,upload_fail_msg,picture_status,auction_point,picture,video,skuProps,"
      "inputPids,inputValues,outer_id,propAlias,auto_fill,num_id,local_cid,navigation_type,"
      "user_name,syncStatus,is_lighting_consigment,is_xinpin,foodparame\r\n" +
      gbk("宝贝名称,宝贝类目,店铺类目,新旧程度,省,城市,出售方式,宝贝价格,加价幅度,宝贝数量,有效期,"
          "运费承担,平邮,EMS,快递,发票,保修,放入仓库,橱窗推荐,开始时间,宝贝描述,宝贝属性,邮费模版ID,"
          "会员打折,修改时间,上传状态,图片状态,返点比例,新图片,视频,销售属性组合,用户输入ID串,"
          "用户输入名-值对,商家编码,销售属性别名,代充类型,数字ID,本地ID,宝贝分类,账户名称,宝贝状态,"
          "闪电发货,新品,食品专项\r\n");
  return k5;
}

std::string packageRow(const ItemRecord& r, int packageVersion, std::string_view mallItemHost) {
  RowBuilder b;
  constexpr Quote Y = Quote::Yes;
  constexpr Quote N = Quote::No;
  if (packageVersion == 4) {
    b.add(r.title, Y); b.add(r.cid, N); b.add(r.seller_cids, Y); b.add("0", N);
    b.add(r.state, Y); b.add(r.city, Y); b.add("1", Y); b.add(r.price, N); b.add("0", N);
    b.add(r.num, N); b.add(r.valid_thru, N); b.add(r.freight_payer, N); b.add(r.post_fee, N);
    b.add(r.ems_fee, N); b.add(r.express_fee, N); b.add("", N); b.add("", N); b.add("0", N);
    b.add(r.has_warranty, N); b.add("1", N); b.add("0", N); b.add("1", N);
    b.add(r.list_time, Y); b.add("", N); b.add(r.desc, Quote::Escaped); b.add("", N);
    b.add(r.props, Y); b.add("", N); b.add("", N); b.add("0", N); b.add("0", N);
    b.add(r.modified, Y); b.add(r.approve_status, N); b.add("", N); b.add("0", N);
    b.add(r.pictureList, Y); b.add("", Y); b.add(r.skus, Y); b.add(r.input_pids, Y);
    b.add(r.input_str, Y); b.add(r.outer_id, Y); b.add(r.property_alias + ";", Y);
    b.add("0", N); b.add(r.itemId, Y); b.add(r.itemId, N);
    b.add("http://" + std::string(mallItemHost) + "/item.htm?id=" + r.itemId + "&", Y);
  } else {
    b.add(r.title, Y); b.add(r.cid, N); b.add(r.seller_cids, Y); b.add("1", N);
    b.add(r.state, Y); b.add(r.city, Y); b.add("1", N); b.add(r.price, N); b.add("0", N);
    b.add(r.num, N); b.add(r.valid_thru, N); b.add(r.freight_payer, N); b.add(r.post_fee, N);
    b.add(r.ems_fee, N); b.add(r.express_fee, N); b.add("0", N); b.add(r.has_warranty, N);
    b.add("1", N); b.add("0", N); b.add(r.list_time, Y); b.add(r.desc, Quote::Escaped);
    b.add(r.props, Y); b.add("0", N); b.add("0", N); b.add(r.modified, Y);
    b.add(r.approve_status, N); b.add("", N); b.add("0", N); b.add(r.pictureList, Y);
    b.add("", Y); b.add(r.skus, Y); b.add(r.input_pids, Y); b.add(r.input_str, Y);
    b.add(r.outer_id, Y); b.add(r.property_alias, Y); b.add("0", N); b.add(r.itemId, N);
    b.add("0", N); b.add("2", N); b.add("", N); b.add("1", N); b.add("0", N); b.add("0", N);
    b.add("", N);
  }
  b.row += "\r\n";
  return b.row;
}

std::string mainPictureEntry(std::string_view name, int position, int packageVersion) {
  return std::string(name) + (packageVersion == 4 ? ":0:" : ":1:") + std::to_string(position) +
         ":|;";
}

std::string propertyPictureEntry(std::string_view name, std::string_view properties,
                                 int packageVersion) {
  return std::string(name) + (packageVersion == 4 ? ":1:0:" : ":2:0:") + std::string(properties) +
         "|;";
}

}  // namespace tessaly
