#include "support/xml_document.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/gbk.hpp"

namespace tessaly {
namespace {

std::string readSample(const std::string& name) {
  std::ifstream in(std::string(TESSALY_REALWORLD_DIR) + "/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(XmlDocument, RealItemAnswer) {
  XmlDocument doc;
  ASSERT_TRUE(doc.loadBytes(readSample("item_get_response_1.xml")));
  EXPECT_EQ(doc.textAt("@1/msg"), "");
  EXPECT_EQ(doc.textAt("item_get_response/item/num"), "195");
  EXPECT_EQ(doc.textAt("item_get_response/item/title"),
            gbk("秋款新特 帽子衬衫 戴帽子的女长袖衬衫2182#"));
  EXPECT_NE(doc.textAt("item_get_response/item/detail_url").find("&amp;"), std::string::npos);
  EXPECT_NE(doc.textAt("item_get_response/item/props_name").find(gbk("65cm&lt;衣长&le;80cm")),
            std::string::npos);
  EXPECT_EQ(doc.rootName(), "item_get_response");
}

TEST(XmlDocument, RealErrorAnswersCarryMsg) {
  for (int i = 1; i <= 5; ++i) {
    XmlDocument doc;
    doc.loadBytes(readSample("error_response_" + std::to_string(i) + ".xml"));
    EXPECT_NE(doc.textAt("@1/msg"), "") << i;
    EXPECT_EQ(doc.textAt("item_get_response/item/title"), "") << i;
  }
}

TEST(XmlDocument, NumbersElementsInEndOrder) {
  XmlDocument doc;
  ASSERT_TRUE(doc.loadBytes("<r><a/><b><d></d></b></r>"));
  const XmlNodeStore& s = doc.store();
  EXPECT_EQ(s.rootNumber(), 4);
  EXPECT_EQ(s.nameOf(1), "a");
  EXPECT_EQ(s.nameOf(2), "d");
  EXPECT_EQ(s.nameOf(3), "b");
  EXPECT_EQ(s.nameOf(4), "r");
  EXPECT_EQ(s.pathOf(2), "@1/@2/@1");
  EXPECT_EQ(s.pathOf(0), "@1");
  XmlNode d;
  ASSERT_TRUE(s.getNode(2, d));
  EXPECT_EQ(d.parent, 3);
  EXPECT_EQ(s.checkNode(4), 0);
  EXPECT_EQ(s.checkNode(1), 1);
  EXPECT_EQ(s.checkNode(5), -1);
}

TEST(XmlDocument, PathResolution) {
  XmlDocument doc;
  ASSERT_TRUE(doc.loadBytes(
      "<item_get_response><item><title>T</title><skus>"
      "<sku><price>1</price></sku><sku><price>2</price></sku><sku><price>3</price></sku>"
      "</skus><x>first</x><x>second</x></item></item_get_response>"));
  struct Case {
    const char* path;
    const char* text;
  } cases[] = {
      {"item_get_response/item/title", "T"},
      {"@1/item/title", "T"},
      {"@1/@1/@1", "T"},
      {"item_get_response/item/skus/@3/price", "3"},
      {"item_get_response/item/skus/@4/price", ""},
      {"item_get_response/item/skus/@0/price", ""},
      {"item_get_response/item/x", "first"},
      {"item_get_response/item/title/", "T"},
      {"item_get_response//item/title", ""},
      {"/item_get_response/item/title", ""},
      {"@2/item/title", ""},
      {"item/title", ""},
      {"Item_get_response/item/title", ""},
      {"@/item", ""},
      {"", ""},
      {"@#1", "T"},
      {"@#0/item/title", "T"},
      {"@#99", ""},
      {"@#x", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(doc.textAt(c.path), c.text) << c.path;
  EXPECT_EQ(doc.childCount("item_get_response/item/skus"), 3);
  EXPECT_EQ(doc.childCount("item_get_response/item/nothing"), 0);

  // A released number no longer resolves through "@#n".
  ASSERT_TRUE(doc.removeAt("item_get_response/item/title"));
  EXPECT_EQ(doc.textAt("@#1"), "");
}

TEST(XmlDocument, TextRules) {
  XmlDocument doc;
  ASSERT_TRUE(doc.loadBytes(
      "<r>\n  <a> x </a>\n  <t>A &amp; B &lt;</t><d><![CDATA[<p>hi & \"bye\"</p>]]></d>"
      "<e>pre<![CDATA[one]]>mid<![CDATA[two]]></e><q k='v' n=\"1\"/></r>"));
  EXPECT_EQ(doc.textAt("r"), "");
  EXPECT_EQ(doc.textAt("r/a"), " x ");
  EXPECT_EQ(doc.textAt("r/t"), "A &amp; B &lt;");
  EXPECT_EQ(doc.textAt("r/d"), "<p>hi & \"bye\"</p>");
  EXPECT_EQ(doc.textAt("r/e"), "one");
  std::string v;
  ASSERT_TRUE(doc.attributeAt("r/q", "k", v));
  EXPECT_EQ(v, "'v'");
  ASSERT_TRUE(doc.attributeAt("r/q", "n", v));
  EXPECT_EQ(v, "1");
}

TEST(XmlDocument, CdataMarkerNeverCollidesWithData) {
  // The data holds, as plain text, the very marker a first draw would give for data of
  // its size, and a section whose content looks like a placeholder: both stay as written.
  std::string data = "<r><a>@XXXXX,1.</a><b><![CDATA[real]]></b><c><![CDATA[@ABCDE,1.]]></c></r>";
  const std::string wouldBe = XmlNodeStore::makeMarker(std::string(data.size(), ' '));
  ASSERT_EQ(wouldBe.size(), 6u);
  data.replace(data.find("@XXXXX"), 6, wouldBe);

  XmlDocument doc;
  ASSERT_TRUE(doc.loadBytes(data));
  EXPECT_EQ(doc.textAt("r/a"), wouldBe + ",1.");
  EXPECT_EQ(doc.textAt("r/b"), "real");
  EXPECT_EQ(doc.textAt("r/c"), "@ABCDE,1.");
  EXPECT_EQ(data.find(doc.store().cdataMarker()), std::string::npos);
}

TEST(XmlDocument, EncodingDeclaration) {
  const std::string utf8Body = "<r><t>衬衫</t></r>";
  struct Case {
    std::string declaration;
    bool converted;
  } cases[] = {
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", true},
      {"<?xml version=\"1.0\" encoding = \"utf-8\" ?>", true},
      {"<?xml version=\"1.0\" encoding=\"gb2312\"?>", false},
      {"<?xml version=\"1.0\" encoding='utf-8'?>", false},
      {"<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>", false},
      {"", false},
  };
  for (const auto& c : cases) {
    XmlDocument doc;
    ASSERT_TRUE(doc.loadBytes(c.declaration + utf8Body)) << c.declaration;
    EXPECT_EQ(doc.textAt("r/t"), c.converted ? gbk("衬衫") : "衬衫") << c.declaration;
  }
  XmlDocument forced;
  ASSERT_TRUE(forced.loadBytes(utf8Body, true));
  EXPECT_EQ(forced.textAt("r/t"), gbk("衬衫"));
  // A gb2312 declaration wins over the request to convert.
  ASSERT_TRUE(forced.loadBytes("<?xml encoding=\"gb2312\"?>" + gbk("<r><t>衬衫</t></r>"), true));
  EXPECT_EQ(forced.textAt("r/t"), gbk("衬衫"));
  // Conversion reads up to the first zero byte; what follows is gone with it.
  const std::string withZero =
      "<?xml version=\"1.0\" ENCODING=\"UTF-8\"?>" + utf8Body + std::string(1, '\0') + "<junk";
  ASSERT_TRUE(forced.loadBytes(withZero));
  EXPECT_EQ(forced.textAt("r/t"), gbk("衬衫"));
}

TEST(XmlDocument, RejectedInputsLeaveAnEmptyDocument) {
  const char* rejected[] = {
      "<a><b>1</b>x</a>",      // text after a child's end tag
      "<a><b></a></b>",        // mismatched end tag
      "<a></a></b>",           // end tag with nothing open
      "<a attr></a>",          // attribute without "="
      "text<a></a>",           // bytes before the first "<" holding no ">"
      "<a><b</a>",             // a piece without ">"
      "<a></a/>",              // end tag and self-closing at once
      "<a><![CDATA[open</a>",  // unterminated CDATA section
      "<r><a>x>y</a></r>",     // ">" in text ends the tag late: name "a>x" never closes
  };
  for (const char* data : rejected) {
    XmlDocument doc;
    ASSERT_TRUE(doc.loadBytes("<ok><v>1</v></ok>"));
    EXPECT_FALSE(doc.loadBytes(data)) << data;
    EXPECT_EQ(doc.textAt("@1"), "") << data;
    EXPECT_EQ(doc.childCount("@1"), 0) << data;
    EXPECT_EQ(doc.store().nodeCount(), 0) << data;
  }
}

TEST(XmlDocument, TagReading) {
  // Each tag is the only child of r; the attributes come back rendered in list order.
  struct Case {
    const char* tag;
    const char* name;
    const char* attributes;
  } cases[] = {
      {"<x k = \"a b\"  j=\"1\"/>", "x", "k=\"a b\" j=\"1\""},
      {"<x k=\"a = b\"/>", "x", "k=\"a=b\""},  // squeezed inside quoted values too
      {"<x k='v'/>", "x", "k=\"'v'\""},
      {"<x a=\"1\" a=\"2\"/>", "x", "a=\"1\" a=\"2\""},  // duplicates stay
      {"<x / k=\"1\"/>", "x", "k=\"1\""},
      {"<x k=\"1\" />", "x", "k=\"1\""},
      {"<x\tk=\"1\"/>", "x\tk=\"1\"", ""},  // only blanks cut tokens
      {"<ns:x></ns:x>", "ns:x", ""},
  };
  for (const auto& c : cases) {
    XmlDocument doc;
    ASSERT_TRUE(doc.loadBytes(std::string("<r>") + c.tag + "</r>")) << c.tag;
    XmlNode node;
    ASSERT_TRUE(doc.store().nodeAt("r/@1", node)) << c.tag;
    EXPECT_EQ(node.name, c.name) << c.tag;
    std::string rendered;
    XmlNodeStore::editAttributes(node.attributes, '>', rendered);
    EXPECT_EQ(rendered, c.attributes) << c.tag;
  }
}

TEST(XmlDocument, QuoteAwareSplitKeepsLessThanInAttributes) {
  const std::string data = "<r><a k=\"x<y\">t</a></r>";
  XmlDocument doc;
  EXPECT_FALSE(doc.loadBytes(data));
  ASSERT_TRUE(doc.loadBytes(data, false, true));
  std::string value;
  ASSERT_TRUE(doc.attributeAt("r/a", "k", value));
  EXPECT_EQ(value, "x<y");
  EXPECT_EQ(doc.textAt("r/a"), "t");
}

TEST(XmlDocument, OnlyTheLastTopLevelElementIsTheRoot) {
  struct Case {
    const char* data;
    const char* path;
    const char* text;
  } cases[] = {
      {"<a>1</a><b>2</b>", "@1", "2"},
      {"<a>1</a><b>2</b>", "b", "2"},
      {"<a>1</a><b>2</b>", "a", ""},
      {"<a>1</a><b>2</b>", "@#1", "1"},  // still reachable by number
      {"<r><a>1</a>", "@1", "1"},        // r never ends, so a is the last stored
      {"<r><a>1</a>", "r", ""},
      {"<r>lead<a/>junk</r>", "r", "lead"},  // text after a self-closing child is dropped
  };
  for (const auto& c : cases) {
    XmlDocument doc;
    ASSERT_TRUE(doc.loadBytes(c.data)) << c.data;
    EXPECT_EQ(doc.textAt(c.path), c.text) << c.data << " " << c.path;
  }
  XmlDocument doc;
  ASSERT_TRUE(doc.loadBytes("<a/><b/>"));
  EXPECT_EQ(doc.store().pathOf(1), "");  // outside the root's subtree
  EXPECT_EQ(doc.store().pathOf(2), "@1");
}

TEST(XmlDocument, IgnoresCommentsAndDeclarations) {
  XmlDocument doc;
  ASSERT_TRUE(doc.loadBytes("<?xml version=\"1.0\"?><!DOCTYPE r><r><!-- c --><a>1</a></r><!--x-->"));
  EXPECT_EQ(doc.textAt("r/a"), "1");
}

TEST(XmlDocument, EditingAndWriter) {
  XmlDocument doc;
  EXPECT_FALSE(doc.createRoot("@x"));
  EXPECT_FALSE(doc.createRoot(" x"));
  EXPECT_FALSE(doc.createRoot(""));
  ASSERT_TRUE(doc.createRoot("root"));
  ASSERT_TRUE(doc.addChildAt("root", "a", "1 & 2"));
  ASSERT_TRUE(doc.addChildAt("root", "b", "<p>"));
  ASSERT_TRUE(doc.addChildAt("root/b", "c", ""));
  ASSERT_TRUE(doc.addAttributeAt("root/a", "k", "v"));
  EXPECT_EQ(doc.toBytes(),
            "<?xml version=\"1.0\" encoding=\"gb2312\"?><root><a k=\"v\">1 & 2</a>"
            "<b><![CDATA[<p>]]><c></c></b></root>");

  EXPECT_TRUE(doc.setAttributeAt("root/a", "k", "w"));
  EXPECT_FALSE(doc.setAttributeAt("root/a", "missing", "w"));
  EXPECT_TRUE(doc.renameAttributeAt("root/a", "k", "j"));
  EXPECT_EQ(doc.attributeCount("root/a"), 1);
  EXPECT_TRUE(doc.removeAttributeAt("root/a", "j"));
  EXPECT_EQ(doc.attributeCount("root/a"), 0);
  EXPECT_TRUE(doc.renameAt("root/a", "z"));
  EXPECT_TRUE(doc.setTextAt("root/z", "new"));
  EXPECT_FALSE(doc.removeAt("root"));
  EXPECT_TRUE(doc.removeAt("root/b"));
  EXPECT_EQ(doc.childCount("root"), 1);

  // Released numbers are reused before new ones are appended, the removed element's
  // own number first.
  const int before = doc.store().nodeCount();
  const int removedB = 3;  // root 1, a 2, b 3, c 4
  ASSERT_TRUE(doc.addChildAt("root", "n", "x"));
  EXPECT_EQ(doc.store().nodeCount(), before);
  EXPECT_EQ(doc.store().numberAt("root/n"), removedB);

  // What the writer produces loads back to the same values.
  XmlDocument again;
  ASSERT_TRUE(again.loadBytes(doc.toBytes()));
  EXPECT_EQ(again.textAt("root/z"), "new");
  EXPECT_EQ(again.textAt("root/n"), "x");

  const auto path = std::filesystem::temp_directory_path() / "tessaly_xml_save_test.xml";
  ASSERT_TRUE(doc.saveFile(path.string()));
  EXPECT_EQ(std::filesystem::file_size(path), doc.toBytes().size());
  std::filesystem::remove(path);
}

TEST(XmlDocument, DeepNestingIsWrittenAndRemovedWithoutRecursion) {
  // Far deeper than a recursive writer or release could survive on the call stack.
  constexpr int kDepth = 200000;
  std::string data;
  for (int i = 0; i < kDepth; ++i) data += "<a>";
  for (int i = 0; i < kDepth; ++i) data += "</a>";
  XmlDocument doc;
  ASSERT_TRUE(doc.loadBytes(data));
  EXPECT_EQ(doc.toBytes(), "<?xml version=\"1.0\" encoding=\"gb2312\"?>" + data);
  ASSERT_TRUE(doc.removeAt("@1/@1"));
  EXPECT_EQ(doc.childCount("@1"), 0);
  EXPECT_EQ(doc.textAt("@#1"), "");
}

TEST(XmlNodeStore, AttributeUtilityAndSiblingSwap) {
  std::vector<XmlAttribute> list;
  std::string text = "a=\"1\" b = \"2\"";
  XmlNodeStore::editAttributes(list, '+', text);
  ASSERT_EQ(list.size(), 2u);
  text = "b=\"9\" c=\"3\"";
  XmlNodeStore::editAttributes(list, '%', text);
  EXPECT_EQ(list[1].value, "9");
  EXPECT_EQ(list.size(), 2u);
  text = "a";
  XmlNodeStore::editAttributes(list, '-', text);
  XmlNodeStore::editAttributes(list, '>', text);
  EXPECT_EQ(text, "b=\"9\"");

  XmlDocument doc;
  ASSERT_TRUE(doc.loadBytes("<r><a/><b/><c/></r>"));
  XmlNodeStore store = doc.nodeStore();
  ASSERT_TRUE(store.setNode(1, nullptr, nullptr, nullptr, 2));
  doc.setNodeStore(store);
  EXPECT_EQ(doc.textAt("r/@1"), "");
  std::vector<std::string> names;
  ASSERT_TRUE(doc.childNamesAt("r", names));
  EXPECT_EQ(names, (std::vector<std::string>{"c", "b", "a"}));
}

}  // namespace
}  // namespace tessaly
