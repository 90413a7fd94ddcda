// Unit tests of XmlRpcValue (model, XML writing and reading) and of the XML
// text helpers in XmlRpcUtil.

#include "XmlRpcException.h"
#include "XmlRpcUtil.h"
#include "XmlRpcValue.h"

#include <gtest/gtest.h>

#include <clocale>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using XmlRpc::XmlRpcException;
using XmlRpc::XmlRpcValue;

namespace {

void expectError(const std::function<void()> &misuse, const std::string &message)
{
    try {
        misuse();
        ADD_FAILURE() << "no exception, expected \"" << message << '"';
    } catch (const XmlRpcException &e) {
        EXPECT_EQ(e.getMessage(), message);
        EXPECT_EQ(e.getCode(), -1);
    }
}

struct tm makeTime(int year, int month, int day, int hour, int minute, int second)
{
    struct tm t = {};
    t.tm_year = year - 1900, t.tm_mon = month - 1, t.tm_mday = day;
    t.tm_hour = hour, t.tm_min = minute, t.tm_sec = second;
    return t;
}

XmlRpcValue::BinaryData bytes(int count)
{
    XmlRpcValue::BinaryData data;
    for (int i = 0; i < count; ++i)
        data.push_back(static_cast<unsigned char>(i * 37 + 11));
    return data;
}

// Parses a whole string that is exactly one value.
XmlRpcValue parsed(const std::string &xml)
{
    XmlRpcValue v;
    int offset = 0;
    EXPECT_TRUE(v.fromXml(xml, &offset)) << xml;
    EXPECT_EQ(offset, static_cast<int>(xml.size())) << xml;
    return v;
}

// A failed parse leaves the value invalid and the offset where it was.
void expectRejected(const std::string &value)
{
    const std::string xml = "<x>" + value;
    XmlRpcValue v(17);
    int offset = 3;
    EXPECT_FALSE(v.fromXml(xml, &offset)) << value;
    EXPECT_EQ(offset, 3) << value;
    EXPECT_FALSE(v.valid()) << value;
}

// levels arrays ("a") or structs ("s", member "m") around inner, the kinds
// taken from pattern in turn.
std::string nested(int levels, const std::string &inner, const std::string &pattern = "a")
{
    std::string open, close;
    for (int i = 0; i < levels; ++i) {
        if (pattern[static_cast<size_t>(i) % pattern.size()] == 'a') {
            open += "<value><array><data>";
            close.insert(0, "</data></array></value>");
        } else {
            open += "<value><struct><member><name>m</name>";
            close.insert(0, "</member></struct></value>");
        }
    }
    return open + inner + close;
}

} // namespace

TEST(XmlRpcValueModel, TypeCodesAndDeepCopies)
{
    const unsigned char raw[] = {1, 2, 3};
    EXPECT_EQ(XmlRpcValue().getType(), 0);
    EXPECT_EQ(XmlRpcValue(true).getType(), 1);
    EXPECT_EQ(XmlRpcValue(3).getType(), 2);
    EXPECT_EQ(XmlRpcValue(3.5).getType(), 3);
    EXPECT_EQ(XmlRpcValue("s").getType(), 4);
    EXPECT_EQ(XmlRpcValue(std::string("s")).getType(), 4);
    EXPECT_EQ(XmlRpcValue(makeTime(2024, 1, 31, 8, 5, 9)).getType(), 5);
    EXPECT_EQ(XmlRpcValue(raw, 3).getType(), 6);
    XmlRpcValue array, record;
    array.setSize(1);
    record["k"] = 1;
    EXPECT_EQ(array.getType(), 7);
    EXPECT_EQ(record.getType(), 8);

    XmlRpcValue original;
    original["name"] = "blue";
    original["list"][0] = 1;
    original["list"][1]["deep"] = "x";
    original["blob"] = XmlRpcValue(raw, 3);
    XmlRpcValue copy(original);
    copy["name"].asString() += "!";
    copy["list"][0] = 2;
    copy["list"][1]["deep"] = "changed";
    copy["blob"].asBinary()[0] = 99;
    copy["added"] = true;
    EXPECT_EQ(original["name"].asString(), "blue");
    EXPECT_EQ(original["list"][0].asInt(), 1);
    EXPECT_EQ(original["list"][1]["deep"].asString(), "x");
    EXPECT_EQ(original["blob"].asBinary()[0], 1);
    EXPECT_FALSE(original.hasMember("added"));
    XmlRpcValue assigned;
    assigned = original;
    EXPECT_EQ(assigned, original);
    EXPECT_NE(copy, original);

    // Assigning a value its own element must not read freed memory.
    XmlRpcValue outer;
    outer[0][0] = 5;
    outer[0][1] = "s";
    outer = outer[0];
    ASSERT_EQ(outer.size(), 2);
    EXPECT_EQ(outer[0].asInt(), 5);
    EXPECT_EQ(outer[1].asString(), "s");
}

TEST(XmlRpcValueModel, GrowthAndMemberInsertion)
{
    XmlRpcValue v;
    v[1] = 7;
    ASSERT_EQ(v.getType(), XmlRpcValue::TypeArray);
    EXPECT_EQ(v.size(), 2);
    EXPECT_FALSE(v[0].valid());
    v[3] = "three";
    EXPECT_EQ(v.size(), 4);
    EXPECT_FALSE(v[2].valid());
    EXPECT_EQ(v[1].asInt(), 7);
    v[0] = 1;
    v.setSize(2);
    EXPECT_EQ(v.size(), 4);
    v.setSize(6);
    EXPECT_EQ(v.size(), 6);
    EXPECT_EQ(v[3].asString(), "three");

    XmlRpcValue sized;
    sized.setSize(3);
    EXPECT_EQ(sized.getType(), XmlRpcValue::TypeArray);
    EXPECT_EQ(sized.size(), 3);

    XmlRpcValue s;
    XmlRpcValue &member = s["k"];
    EXPECT_EQ(s.getType(), XmlRpcValue::TypeStruct);
    EXPECT_FALSE(member.valid());
    EXPECT_TRUE(s.hasMember("k"));
    const XmlRpcValue &cs = s;
    EXPECT_FALSE(cs["missing"].valid());
    EXPECT_EQ(s.size(), 1);
    EXPECT_FALSE(s.hasMember("missing"));
    EXPECT_EQ(XmlRpcValue("h\xc3\xa9").size(), 3);
}

TEST(XmlRpcValueModel, MisuseThrows)
{
    const XmlRpcValue i(5), b(false), d(1.5), t(makeTime(2024, 1, 31, 8, 5, 9)), none, str("abc");
    for (const XmlRpcValue *scalar : {&i, &b, &d, &t, &none})
        expectError([scalar] { (void)scalar->size(); }, "type error");
    expectError([&] { (void)str.asInt(); }, "type error");
    expectError([&] { (void)i.asBool(); }, "type error");
    expectError([&] { (void)i.asDouble(); }, "type error");
    expectError([&] { (void)d.asString(); }, "type error");
    expectError([&] { (void)str.asTime(); }, "type error");
    expectError([&] { (void)str.asBinary(); }, "type error");
    expectError([&] { XmlRpcValue m(5); m.asString() = "x"; }, "type error");

    expectError([&] { (void)i[0]; }, "type error: expected an array");
    expectError([&] { (void)str[0]; }, "type error: expected an array");
    expectError([&] { XmlRpcValue m(5); m[0] = 1; }, "type error: expected an array");
    expectError([&] { XmlRpcValue m; m["k"] = 1; m[0] = 1; }, "type error: expected an array");
    XmlRpcValue two;
    two.setSize(2);
    const XmlRpcValue &ctwo = two;
    expectError([&] { (void)ctwo[2]; }, "range error: array index too large");
    EXPECT_EQ(two.size(), 2);

    expectError([&] { (void)i["k"]; }, "type error: expected a struct");
    expectError([&] { XmlRpcValue m(5); m["k"] = 1; }, "type error: expected a struct");
    expectError([&] { XmlRpcValue m; m[0] = 1; m["k"] = 1; }, "type error: expected a struct");

    XmlRpcValue notArray(5);
    EXPECT_THROW(notArray.setSize(2), XmlRpcException);
    EXPECT_EQ(notArray.asInt(), 5);
}

TEST(XmlRpcValueWrite, ScalarsAndStrings)
{
    EXPECT_EQ(XmlRpcValue().toXml(), "");
    EXPECT_EQ(XmlRpcValue(true).toXml(), "<value><boolean>1</boolean></value>");
    EXPECT_EQ(XmlRpcValue(false).toXml(), "<value><boolean>0</boolean></value>");
    EXPECT_EQ(XmlRpcValue(-7).toXml(), "<value><i4>-7</i4></value>");
    EXPECT_EQ(XmlRpcValue(INT_MIN).toXml(), "<value><i4>-2147483648</i4></value>");
    EXPECT_EQ(XmlRpcValue(0.5).toXml(), "<value><double>0.500000</double></value>");
    EXPECT_EQ(XmlRpcValue(-1234.5).toXml(), "<value><double>-1234.500000</double></value>");
    XmlRpcValue::setDoubleFormat("%.2f");
    EXPECT_EQ(XmlRpcValue(0.5).toXml(), "<value><double>0.50</double></value>");
    XmlRpcValue::setDoubleFormat("%f");
    EXPECT_EQ(XmlRpcValue("a<b>&'\"c").toXml(), "<value>a&lt;b&gt;&amp;&apos;&quot;c</value>");
    EXPECT_EQ(XmlRpcValue("").toXml(), "<value></value>");
    EXPECT_EQ(XmlRpcValue(makeTime(2024, 1, 31, 8, 5, 9)).toXml(),
              "<value><dateTime.iso8601>20240131T08:05:09</dateTime.iso8601></value>");

    std::string out = "head:";
    XmlRpcValue(3).appendXml(out);
    EXPECT_EQ(out, "head:<value><i4>3</i4></value>");
}

TEST(XmlRpcValueWrite, Base64LineBreaks)
{
    const auto b64 = [](const XmlRpcValue::BinaryData &data) {
        const std::string xml = XmlRpcValue(data).toXml();
        const std::string head = "<value><base64>", tail = "</base64></value>";
        EXPECT_EQ(xml.compare(0, head.size(), head), 0) << xml;
        EXPECT_EQ(xml.compare(xml.size() - tail.size(), tail.size(), tail), 0) << xml;
        return xml.substr(head.size(), xml.size() - head.size() - tail.size());
    };
    EXPECT_EQ(b64({'M', 'a', 'n'}), "TWFu");
    EXPECT_EQ(b64({'M', 'a'}), "TWE=");
    EXPECT_EQ(b64({'M'}), "TQ==");
    EXPECT_EQ(b64({0xfb, 0xff}), "+/8=");
    EXPECT_EQ(b64({}), "");

    const std::string full = b64(bytes(54));
    ASSERT_EQ(full.size(), 73u);
    EXPECT_EQ(full.find('\n'), 72u);
    const std::string more = b64(bytes(55));
    ASSERT_EQ(more.size(), 77u);
    EXPECT_EQ(more.substr(0, 73), full);
    EXPECT_EQ(more.substr(75), "==");
    const std::string two = b64(bytes(108));
    ASSERT_EQ(two.size(), 146u);
    EXPECT_EQ(two[72], '\n');
    EXPECT_EQ(two[145], '\n');

    std::string plain;
    const XmlRpcValue::BinaryData data = bytes(108);
    XmlRpcUtil::base64Encode(plain, data.data(), data.size(), false);
    EXPECT_EQ(plain.size(), 144u);
    EXPECT_EQ(plain.find('\n'), std::string::npos);
}

TEST(XmlRpcValueWrite, ArraysAndStructs)
{
    XmlRpcValue a;
    a[1] = 1; // element 0 stays invalid and writes nothing
    a[2] = "x";
    EXPECT_EQ(a.toXml(), "<value><array><data><value><i4>1</i4></value><value>x</value></data></array></value>");
    XmlRpcValue empty;
    empty.setSize(0);
    EXPECT_EQ(empty.toXml(), "<value><array><data></data></array></value>");

    XmlRpcValue s;
    s["b"] = 2;
    s["\xc3\xa9"] = 5;
    s["a&b"] = true;
    s["B"] = 1;
    s["_"] = 3;
    EXPECT_EQ(s.toXml(), "<value><struct>"
                         "<member><name>B</name><value><i4>1</i4></value></member>"
                         "<member><name>_</name><value><i4>3</i4></value></member>"
                         "<member><name>a&amp;b</name><value><boolean>1</boolean></value></member>"
                         "<member><name>b</name><value><i4>2</i4></value></member>"
                         "<member><name>\xc3\xa9</name><value><i4>5</i4></value></member>"
                         "</struct></value>");
}

TEST(XmlRpcValueRead, ScalarsAndUntypedText)
{
    EXPECT_EQ(parsed("<value/>"), XmlRpcValue(""));
    EXPECT_EQ(parsed("<value />"), XmlRpcValue(""));
    EXPECT_EQ(parsed("<value></value>"), XmlRpcValue(""));
    EXPECT_EQ(parsed("<value>  </value>"), XmlRpcValue("  "));
    EXPECT_EQ(parsed("<value>a&amp;b&#65;</value>"), XmlRpcValue("a&b&#65;"));
    EXPECT_EQ(parsed("<value><boolean>1</boolean></value>"), XmlRpcValue(true));
    EXPECT_EQ(parsed("<value><boolean>0</boolean></value>"), XmlRpcValue(false));
    EXPECT_EQ(parsed("<value><i4> 42abc</i4></value>"), XmlRpcValue(42));
    EXPECT_EQ(parsed("<value><int>-7</int></value>"), XmlRpcValue(-7));
    EXPECT_EQ(parsed("<value>\n  <i4>5</i4>\n</value>"), XmlRpcValue(5));
    EXPECT_EQ(parsed("<value><i4/></value>"), XmlRpcValue(0));
    EXPECT_EQ(parsed("<value><double/></value>"), XmlRpcValue(0.0));
    EXPECT_EQ(parsed("<value><double>-2.75</double></value>"), XmlRpcValue(-2.75));
    EXPECT_EQ(parsed("<value><string/></value>"), XmlRpcValue(""));
    EXPECT_EQ(parsed("<value><string>x&lt;y &gt; z</string></value>"), XmlRpcValue("x<y > z"));

    const XmlRpcValue when = parsed("<value><dateTime.iso8601>20240131T08:05:09</dateTime.iso8601></value>");
    const struct tm &t = when.asTime();
    EXPECT_EQ((std::vector<int>{t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_isdst}),
              (std::vector<int>{124, 0, 31, 8, 5, 9, -1}));
    EXPECT_EQ(when.toXml(), "<value><dateTime.iso8601>20240131T08:05:09</dateTime.iso8601></value>");

    const XmlRpcValue blob = parsed("<value><base64>TW\nFu\r\n I A==QUJD</base64></value>");
    EXPECT_EQ(blob, XmlRpcValue(XmlRpcValue::BinaryData{'M', 'a', 'n', ' '}));
    EXPECT_EQ(parsed("<value><base64/></value>"), XmlRpcValue(XmlRpcValue::BinaryData{}));

    const std::string two = "<value><i4>1</i4></value>\n<value>two</value>";
    XmlRpcValue v;
    int offset = 0;
    ASSERT_TRUE(v.fromXml(two, &offset));
    EXPECT_EQ(v, XmlRpcValue(1));
    EXPECT_EQ(offset, static_cast<int>(two.find('\n')));
    ASSERT_TRUE(v.fromXml(two, &offset));
    EXPECT_EQ(v, XmlRpcValue("two"));
    EXPECT_EQ(offset, static_cast<int>(two.size()));
    EXPECT_FALSE(v.fromXml(two, &offset));
    EXPECT_EQ(offset, static_cast<int>(two.size()));
    EXPECT_FALSE(v.valid());
}

TEST(XmlRpcValueRead, ArraysAndStructs)
{
    const XmlRpcValue none = parsed("<value><array><data/></array></value>");
    EXPECT_EQ(none.getType(), XmlRpcValue::TypeArray);
    EXPECT_EQ(none.size(), 0);
    const XmlRpcValue list = parsed("<value><array><data><value><i4>1</i4></value><value>x</value>"
                                    "<value/></data></array></value>");
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[1].asString(), "x");
    EXPECT_EQ(list[2].asString(), "");
    // The elements end at the first thing that is not a value; "</data>" may be absent.
    EXPECT_EQ(parsed("<value><array><data><value><i4>1</i4></value>stray</data></array></value>").size(), 1);
    EXPECT_EQ(parsed("<value><array><data><value><i4>1</i4></value></array></value>").size(), 1);

    const XmlRpcValue s = parsed("<value><struct>"
                                 "<member><name>k</name><value><i4>1</i4></value></member>"
                                 "<member><name>a&amp;b</name><value>v</value></member>"
                                 "<member><name>k</name><value><i4>2</i4></value></member>"
                                 "</struct></value>");
    ASSERT_EQ(s.getType(), XmlRpcValue::TypeStruct);
    EXPECT_EQ(s.size(), 2);
    EXPECT_EQ(s["k"].asInt(), 1);
    EXPECT_TRUE(s.hasMember("a&amp;b"));
    EXPECT_FALSE(s.hasMember("a&b"));
    EXPECT_EQ(parsed("<value><struct></struct></value>").size(), 0);
}

TEST(XmlRpcValueRead, FailuresRestoreOffsetAndInvalidate)
{
    expectRejected("");
    expectRejected("<i4>1</i4>");
    expectRejected("text");
    expectRejected("<value><boolean>2</boolean></value>");
    expectRejected("<value><boolean>yes</boolean></value>");
    expectRejected("<value><i4>x</i4></value>");
    expectRejected("<value><i4>1</i4>");
    expectRejected("<value><i4>1</int></value>");
    expectRejected("<value><float>1</float></value>");
    expectRejected("<value><dateTime.iso8601/></value>");
    expectRejected("<value><dateTime.iso8601>yesterday</dateTime.iso8601></value>");
    expectRejected("<value><array/></value>");
    expectRejected("<value><struct/></value>");
    expectRejected("<value><array><value><i4>1</i4></value></array></value>");
    expectRejected("<value><array><data><value><i4>1</i4></value></data></value>");
    expectRejected("<value><array><data><value><i4>1</i4></value><value><i4>x</i4></value></data></array></value>");
    expectRejected("<value><array><data><value><i4>1</i4></value><bogus/></data></array></value>");
    expectRejected("<value><struct><member><name>k</name><value><i4>x</i4></value></member></struct></value>");
    expectRejected("<value><struct><member><name>k</name><value><i4>1</i4></value></member></value>");
    expectRejected("<value><array><data><value><struct><member><name>k</name>"
                   "<value><float/></value></member></struct></value></data></array></value>");

    // A value constructed from text is invalid when the text is bad.
    int offset = 0;
    const XmlRpcValue bad(std::string("<value><nope/></value>"), &offset);
    EXPECT_FALSE(bad.valid());
    EXPECT_EQ(offset, 0);
}

TEST(XmlRpcValueRead, NestingDepthLimit)
{
    const int limit = XmlRpcValue::MaxNestingDepth;
    EXPECT_GE(limit, 64);
    const std::string leaf = "<value><i4>7</i4></value>";

    // Exactly at the limit a value parses, down to the innermost element.
    for (const char *pattern : {"a", "s", "as"}) {
        const XmlRpcValue deep = parsed(nested(limit, leaf, pattern));
        const XmlRpcValue *walk = &deep;
        for (int level = 0; level < limit && walk->valid(); ++level)
            walk = walk->getType() == XmlRpcValue::TypeArray ? &(*walk)[0] : &(*walk)["m"];
        EXPECT_EQ(*walk, XmlRpcValue(7)) << pattern;
    }
    EXPECT_EQ(parsed(nested(limit - 1, "<value><array><data/></array></value>")).size(), 1);

    // One level more fails like any malformed value, an empty container too.
    for (const char *pattern : {"a", "s", "as", "sa"})
        expectRejected(nested(limit + 1, leaf, pattern));
    expectRejected(nested(limit, "<value><array><data/></array></value>"));
    expectRejected(nested(limit, "<value><struct></struct></value>"));

    // Far deeper (about 2 MB of text), closed or cut off: rejected without
    // running out of stack.
    expectRejected(nested(50000, leaf));
    expectRejected(nested(50000, leaf, "as"));
    std::string unclosed;
    for (int i = 0; i < 50000; ++i)
        unclosed += "<value><array><data>";
    expectRejected(unclosed);

    // A deep value among its siblings fails the whole array.
    expectRejected("<value><array><data><value><i4>1</i4></value>" + nested(limit, leaf)
                   + "</data></array></value>");
}

TEST(XmlRpcValueRoundTrip, NestedValuesOfEveryKind)
{
    XmlRpcValue v;
    v["flag"] = true;
    v["count"] = -42;
    v["max"] = INT_MAX;
    v["ratio"] = 2.25;
    v["huge"] = 1e300;
    v["text"] = "<a & 'b'>\"\n\ttab";
    v["blank"] = "";
    v["spaces"] = "  ";
    v["when"] = XmlRpcValue(makeTime(1999, 12, 31, 23, 59, 58));
    v["blob"] = XmlRpcValue(bytes(100));
    v["noBytes"] = XmlRpcValue(XmlRpcValue::BinaryData{});
    v["list"][0] = 1;
    v["list"][1] = "x";
    v["list"][2][0] = false;
    v["list"][2][1]["inner"] = -0.125;
    v["list"][3].setSize(0);
    v["list"][4]["empty"]["nested"] = "deep";
    v["emptyStruct"] = parsed("<value><struct></struct></value>");

    const std::string xml = v.toXml();
    EXPECT_EQ(parsed(xml), v) << xml;

    const std::string framed = "<params>" + xml + xml + "</params>";
    int offset = 8;
    XmlRpcValue first(framed, &offset), second(framed, &offset);
    EXPECT_EQ(first, v);
    EXPECT_EQ(second, v);
    EXPECT_EQ(offset, static_cast<int>(framed.size() - 9));
}

TEST(XmlRpcValueRoundTrip, NumbersIgnoreProcessLocale)
{
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    const std::string written = XmlRpcValue(0.5).toXml();
    const XmlRpcValue read = parsed("<value><double>2.75</double></value>");
    const XmlRpcValue back = parsed(written);
    std::setlocale(LC_NUMERIC, previous.c_str());

    EXPECT_STREQ(probe, "0,5"); // the locale really was in effect
    EXPECT_EQ(written, "<value><double>0.500000</double></value>");
    EXPECT_EQ(read, XmlRpcValue(2.75));
    EXPECT_EQ(back, XmlRpcValue(0.5));
}

TEST(XmlRpcUtilTags, NextTagIsAndNextTagIsEnd)
{
    int off = 0;
    bool empty = true;
    EXPECT_TRUE(XmlRpcUtil::nextTagIs("data", " \n\t<data>rest", &off, &empty));
    EXPECT_EQ(off, 9);
    EXPECT_FALSE(empty);
    for (const char *selfClosing : {"<data/>", "<data />"}) {
        off = 0;
        empty = false;
        EXPECT_TRUE(XmlRpcUtil::nextTagIs("data", selfClosing, &off, &empty)) << selfClosing;
        EXPECT_EQ(off, static_cast<int>(std::strlen(selfClosing)));
        EXPECT_TRUE(empty);
    }
    for (const char *other : {"<data id=\"1\">", "<datax>", "<dat>", "x<data>", "</data>", "   ", "<data"}) {
        off = 0;
        EXPECT_FALSE(XmlRpcUtil::nextTagIs("data", other, &off, &empty)) << other;
        EXPECT_EQ(off, 0) << other;
    }
    off = 6;
    EXPECT_FALSE(XmlRpcUtil::nextTagIs("data", "<data>", &off, &empty));
    EXPECT_EQ(off, 6);

    off = 0;
    EXPECT_TRUE(XmlRpcUtil::nextTagIsEnd("data", "junk 1 2 </data>tail", &off));
    EXPECT_EQ(off, 16);
    for (const char *other : {"</data >", "</datax>", "<data>", "</other></data>", "no tag", "</dat"}) {
        off = 0;
        EXPECT_FALSE(XmlRpcUtil::nextTagIsEnd("data", other, &off)) << other;
        EXPECT_EQ(off, 0) << other;
    }
}

TEST(XmlRpcUtilTags, FindTagAndParseTag)
{
    const std::string xml = "<a>text<names x='1'>n</names><name/><b>";
    int off = 0;
    bool empty = true;
    EXPECT_TRUE(XmlRpcUtil::findTag("name", xml, &off, &empty));
    EXPECT_EQ(off, static_cast<int>(xml.find("n</names>")));
    EXPECT_FALSE(empty);
    EXPECT_TRUE(XmlRpcUtil::findTag("name", xml, &off, &empty));
    EXPECT_EQ(off, static_cast<int>(xml.find("<b>")));
    EXPECT_TRUE(empty);
    EXPECT_FALSE(XmlRpcUtil::findTag("name", xml, &off, &empty));
    EXPECT_EQ(off, static_cast<int>(xml.find("<b>")));
    off = 0;
    EXPECT_FALSE(XmlRpcUtil::findTag("b", "<a><b", &off, &empty));
    EXPECT_EQ(off, 0);

    std::string text = "old";
    const std::string member = "<member><name> a&amp;b <i></name><value>";
    off = 0;
    EXPECT_TRUE(XmlRpcUtil::parseTag("name", member, &off, text));
    EXPECT_EQ(text, " a&amp;b <i>");
    EXPECT_EQ(off, static_cast<int>(member.find("<value>")));
    off = 0;
    EXPECT_TRUE(XmlRpcUtil::parseTag("name", "x<name/>y", &off, text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(off, 8);
    off = 0;
    EXPECT_FALSE(XmlRpcUtil::parseTag("name", "<name>unterminated", &off, text));
    EXPECT_EQ(off, 0);
    EXPECT_FALSE(XmlRpcUtil::parseTag("name", "<other>x</other>", &off, text));
    EXPECT_EQ(off, 0);
}

TEST(XmlRpcUtilTags, EntityEncoding)
{
    const std::string raw = "if a<b && c>d then 'e' is \"f\"";
    const std::string encoded = XmlRpcUtil::xmlEncode(raw);
    EXPECT_EQ(encoded, "if a&lt;b &amp;&amp; c&gt;d then &apos;e&apos; is &quot;f&quot;");
    EXPECT_EQ(XmlRpcUtil::xmlDecode(encoded), raw);
    EXPECT_EQ(XmlRpcUtil::xmlEncode("plain text"), "plain text");
    EXPECT_EQ(XmlRpcUtil::xmlEncode(""), "");
    EXPECT_EQ(XmlRpcUtil::xmlDecode("&amp;lt;"), "&lt;");
    EXPECT_EQ(XmlRpcUtil::xmlDecode("&foo; & &#x41; &#65; &am"), "&foo; & &#x41; &#65; &am");
    EXPECT_EQ(XmlRpcUtil::xmlDecode("&lt&gt;&"), "&lt>&");
    EXPECT_EQ(XmlRpcUtil::xmlDecode("&quot;&apos;"), "\"'");
    std::string out = "x";
    XmlRpcUtil::xmlDecodeAppend(out, "&lt;tail", 4);
    EXPECT_EQ(out, "x<");
}
