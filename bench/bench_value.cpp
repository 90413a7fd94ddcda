// Writing and parsing XML-RPC values: our XmlRpcValue against the xmlrpc-c
// library's C core, on three documents typical of the driver traffic.
//
// Benchmark names are "<operation>/<document>/<implementation>":
//   write/...         the value to its "<value>...</value>" text: toXml() on
//                     our side, xmlrpc_serialize_value() into a fresh memory
//                     block on the xmlrpc-c side;
//   parse/...         that text back to a value: fromXml() on our side,
//                     xmlrpc_parse_value_xml() on the xmlrpc-c side. Both
//                     parse the very same bytes, the text our writer made;
//   parse-peer/...    the same, both parsing the text xmlrpc-c wrote.
// Each iteration includes freeing what it made (string, memory block, value).
//
// Bytes processed are the length of the document's text as our writer makes
// it, for every benchmark of that document: MB/s then compares documents per
// second, whatever the verbosity of either writer (xmlrpc-c's text is a
// little longer). The length of each text is also reported as a counter.
// Rates are per CPU second of the benchmark thread.
//
// Before timing anything the program checks that both libraries read each
// other's text back to the same document, and stops if they do not. With
// AXOCOMM_BENCH_DUMP=DIR in the environment it also leaves the texts there.

#include "XmlRpcValue.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <string>
#include <vector>

#ifdef AXOCOMM_BENCH_XMLRPC_C
#include <xmlrpc-c/base.h>
#include <xmlrpc-c/util.h>
#endif

using XmlRpc::XmlRpcValue;

namespace {

[[noreturn]] void die(const std::string &message)
{
    std::fprintf(stderr, "axocomm_bench_value: %s\n", message.c_str());
    std::exit(1);
}

// A small deterministic generator, so every run measures the same documents.
struct Lcg
{
    uint64_t state;
    explicit Lcg(uint64_t seed) : state(seed) {}
    uint32_t next()
    {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(state >> 33);
    }
};

struct tm makeTime(int year, int month, int day, int hour, int minute, int second)
{
    struct tm t;
    std::memset(&t, 0, sizeof t);
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return t;
}

// The dispenser's status as its driver reports it: 40 members and the state
// of its 24 canisters. Doubles have at most six decimals and are exact in
// binary, so both writers' text reads back to the identical value.
XmlRpcValue statusDocument()
{
    static const char *const kColorants[] = {"AXX White", "BXX Black",  "CXX Yellow Oxide", "DXX Red Oxide",
                                             "EXX Blue",  "FXX Green",  "GXX Magenta",      "HXX Orange"};
    XmlRpcValue s;
    s["machineId"] = "AX-7-0042";
    s["serialNumber"] = "SN 2219-0457-88";
    s["model"] = "Axomat 7 Compact";
    s["firmwareVersion"] = "4.12.3";
    s["driverVersion"] = "2.8.0-1";
    s["state"] = "IDLE";
    s["stateCode"] = 3;
    s["subState"] = "WAITING_FOR_CAN";
    s["errorCode"] = 0;
    s["errorText"] = "";
    s["warningCode"] = 112;
    s["warningText"] = "Canister 7 below 15 % & refill due";
    s["operatorNote"] = "Keep lid <closed> during \"purge\"";
    s["doorOpen"] = false;
    s["canPresent"] = true;
    s["lidClosed"] = true;
    s["stirringActive"] = false;
    s["humidifierActive"] = true;
    s["maintenanceDue"] = false;
    s["simulationMode"] = false;
    s["canisterCount"] = 24;
    s["dispensesToday"] = 187;
    s["dispensesTotal"] = 1482211;
    s["purgesToday"] = 3;
    s["lastDispenseId"] = 90017;
    s["queueLength"] = 0;
    s["uptimeSeconds"] = 734215;
    s["stirIntervalMinutes"] = 60;
    s["temperature"] = 23.5;
    s["humidity"] = 41.25;
    s["pressure"] = 1.015625;
    s["nozzleTemperature"] = 24.75;
    s["supplyVoltage"] = 23.875;
    s["motorCurrent"] = 0.5625;
    s["scaleReading"] = 1523.125;
    s["scaleTare"] = 512.0;
    s["lastCalibration"] = makeTime(2024, 3, 14, 9, 26, 53);
    s["lastMaintenance"] = makeTime(2024, 1, 8, 16, 45, 0);
    s["location"] = "Store 0117 / Bay 2";

    XmlRpcValue canisters;
    canisters.setSize(0);
    Lcg rng(17);
    for (int i = 0; i < 24; ++i) {
        XmlRpcValue c;
        c["slot"] = i + 1;
        c["colorant"] = kColorants[i % 8];
        c["level"] = static_cast<double>(rng.next() % 4000) / 8.0;
        c["enabled"] = i % 5 != 4;
        if (i % 2 == 0) {
            c["capacity"] = 2000.0;
            c["lot"] = "L" + std::to_string(240000 + static_cast<int>(rng.next() % 9999));
        }
        canisters[i] = c;
    }
    s["canisters"] = canisters;
    return s;
}

XmlRpcValue intArrayDocument()
{
    XmlRpcValue a;
    a.setSize(10000);
    Lcg rng(42);
    for (int i = 0; i < 10000; ++i) {
        // A spread of widths, from one digit to a full negative int.
        const int width = i % 10;
        int64_t modulus = 1;
        for (int k = 0; k < width; ++k)
            modulus *= 10;
        int64_t v = static_cast<int64_t>(rng.next()) % (modulus * 2 + 1) - modulus;
        if (v > 2147483647)
            v = 2147483647;
        if (v < -2147483647)
            v = -2147483647;
        a[i] = static_cast<int>(v);
    }
    return a;
}

XmlRpcValue binaryDocument()
{
    XmlRpcValue::BinaryData data(1024 * 1024);
    Lcg rng(7);
    for (unsigned char &b : data)
        b = static_cast<unsigned char>(rng.next() >> 8);
    return XmlRpcValue(data);
}

struct Document
{
    const char *name;
    XmlRpcValue value;
    std::string ourText;  // our writer's text of value
    std::string peerText; // xmlrpc-c's text of value (when available)
};

std::vector<Document> &documents()
{
    static std::vector<Document> docs;
    return docs;
}

// ---------------------------------------------------------------- ours

void ourWrite(benchmark::State &state, const Document &doc)
{
    for (auto _ : state) {
        std::string text = doc.value.toXml();
        benchmark::DoNotOptimize(text.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(doc.ourText.size()));
    state.counters["text_bytes"] = static_cast<double>(doc.ourText.size());
}

void ourParse(benchmark::State &state, const Document &doc, const std::string &text)
{
    for (auto _ : state) {
        XmlRpcValue value;
        int offset = 0;
        if (!value.fromXml(text, &offset)) {
            state.SkipWithError("parse failed");
            break;
        }
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(doc.ourText.size()));
    state.counters["text_bytes"] = static_cast<double>(text.size());
}

// ---------------------------------------------------------------- xmlrpc-c

#ifdef AXOCOMM_BENCH_XMLRPC_C

struct Env
{
    xmlrpc_env env;
    Env() { xmlrpc_env_init(&env); }
    ~Env() { xmlrpc_env_clean(&env); }
    void check(const char *what)
    {
        if (env.fault_occurred)
            die(std::string(what) + ": xmlrpc-c fault " + std::to_string(env.fault_code) + ": "
                + (env.fault_string ? env.fault_string : ""));
    }
};

// The xmlrpc-c value holding the same document.
xmlrpc_value *toPeer(const XmlRpcValue &v)
{
    Env e;
    xmlrpc_value *out = nullptr;
    switch (v.getType()) {
    case XmlRpcValue::TypeBoolean: out = xmlrpc_bool_new(&e.env, v.asBool() ? 1 : 0); break;
    case XmlRpcValue::TypeInt: out = xmlrpc_int_new(&e.env, v.asInt()); break;
    case XmlRpcValue::TypeDouble: out = xmlrpc_double_new(&e.env, v.asDouble()); break;
    case XmlRpcValue::TypeString:
        out = xmlrpc_string_new_lp(&e.env, v.asString().size(), v.asString().data());
        break;
    case XmlRpcValue::TypeDateTime: {
        const struct tm &t = v.asTime();
        xmlrpc_datetime dt;
        dt.Y = static_cast<unsigned>(t.tm_year + 1900);
        dt.M = static_cast<unsigned>(t.tm_mon + 1);
        dt.D = static_cast<unsigned>(t.tm_mday);
        dt.h = static_cast<unsigned>(t.tm_hour);
        dt.m = static_cast<unsigned>(t.tm_min);
        dt.s = static_cast<unsigned>(t.tm_sec);
        dt.u = 0;
        out = xmlrpc_datetime_new(&e.env, dt);
        break;
    }
    case XmlRpcValue::TypeBase64:
        out = xmlrpc_base64_new(&e.env, v.asBinary().size(), v.asBinary().data());
        break;
    case XmlRpcValue::TypeArray:
        out = xmlrpc_array_new(&e.env);
        for (const XmlRpcValue &element : v.asArray()) {
            xmlrpc_value *item = toPeer(element);
            xmlrpc_array_append_item(&e.env, out, item);
            xmlrpc_DECREF(item);
        }
        break;
    case XmlRpcValue::TypeStruct:
        out = xmlrpc_struct_new(&e.env);
        for (const auto &member : v.asStruct()) {
            xmlrpc_value *item = toPeer(member.second);
            xmlrpc_struct_set_value_n(&e.env, out, member.first.data(), member.first.size(), item);
            xmlrpc_DECREF(item);
        }
        break;
    default: die("cannot convert an invalid value");
    }
    e.check("building the xmlrpc-c document");
    return out;
}

// Our value holding the document an xmlrpc-c value holds.
XmlRpcValue fromPeer(xmlrpc_value *v)
{
    Env e;
    XmlRpcValue out;
    switch (xmlrpc_value_type(v)) {
    case XMLRPC_TYPE_INT: {
        int i = 0;
        xmlrpc_read_int(&e.env, v, &i);
        out = i;
        break;
    }
    case XMLRPC_TYPE_BOOL: {
        xmlrpc_bool b = 0;
        xmlrpc_read_bool(&e.env, v, &b);
        out = b != 0;
        break;
    }
    case XMLRPC_TYPE_DOUBLE: {
        double d = 0;
        xmlrpc_read_double(&e.env, v, &d);
        out = d;
        break;
    }
    case XMLRPC_TYPE_STRING: {
        size_t length = 0;
        const char *text = nullptr;
        xmlrpc_read_string_lp(&e.env, v, &length, &text);
        e.check("xmlrpc_read_string_lp");
        out = std::string(text, length);
        std::free(const_cast<char *>(text));
        break;
    }
    case XMLRPC_TYPE_DATETIME: {
        xmlrpc_datetime dt;
        xmlrpc_read_datetime(&e.env, v, &dt);
        out = makeTime(static_cast<int>(dt.Y), static_cast<int>(dt.M), static_cast<int>(dt.D),
                       static_cast<int>(dt.h), static_cast<int>(dt.m), static_cast<int>(dt.s));
        break;
    }
    case XMLRPC_TYPE_BASE64: {
        size_t length = 0;
        const unsigned char *bytes = nullptr;
        xmlrpc_read_base64(&e.env, v, &length, &bytes);
        e.check("xmlrpc_read_base64");
        out = XmlRpcValue(XmlRpcValue::BinaryData(bytes, bytes + length));
        std::free(const_cast<unsigned char *>(bytes));
        break;
    }
    case XMLRPC_TYPE_ARRAY: {
        out.setSize(0);
        const int n = xmlrpc_array_size(&e.env, v);
        for (int i = 0; i < n; ++i) {
            xmlrpc_value *item = nullptr;
            xmlrpc_array_read_item(&e.env, v, static_cast<unsigned>(i), &item);
            e.check("xmlrpc_array_read_item");
            out[i] = fromPeer(item);
            xmlrpc_DECREF(item);
        }
        break;
    }
    case XMLRPC_TYPE_STRUCT: {
        const int n = xmlrpc_struct_size(&e.env, v);
        for (int i = 0; i < n; ++i) {
            xmlrpc_value *key = nullptr;
            xmlrpc_value *item = nullptr;
            xmlrpc_struct_read_member(&e.env, v, static_cast<unsigned>(i), &key, &item);
            e.check("xmlrpc_struct_read_member");
            out[fromPeer(key).asString()] = fromPeer(item);
            xmlrpc_DECREF(key);
            xmlrpc_DECREF(item);
        }
        break;
    }
    default: die("unexpected xmlrpc-c value type " + std::to_string(xmlrpc_value_type(v)));
    }
    e.check("reading an xmlrpc-c value");
    return out;
}

std::string peerSerialize(xmlrpc_value *value)
{
    Env e;
    xmlrpc_mem_block *block = xmlrpc_mem_block_new(&e.env, 0);
    e.check("xmlrpc_mem_block_new");
    xmlrpc_serialize_value(&e.env, block, value);
    e.check("xmlrpc_serialize_value");
    std::string text(static_cast<const char *>(xmlrpc_mem_block_contents(block)), xmlrpc_mem_block_size(block));
    xmlrpc_mem_block_free(block);
    return text;
}

xmlrpc_value *peerParse(const std::string &text)
{
    Env e;
    xmlrpc_value *value = nullptr;
    xmlrpc_parse_value_xml(&e.env, text.data(), text.size(), &value);
    e.check("xmlrpc_parse_value_xml");
    return value;
}

void peerWrite(benchmark::State &state, const Document &doc, xmlrpc_value *value)
{
    xmlrpc_env env;
    xmlrpc_env_init(&env);
    for (auto _ : state) {
        xmlrpc_mem_block *block = xmlrpc_mem_block_new(&env, 0);
        xmlrpc_serialize_value(&env, block, value);
        benchmark::DoNotOptimize(xmlrpc_mem_block_contents(block));
        benchmark::ClobberMemory();
        xmlrpc_mem_block_free(block);
    }
    if (env.fault_occurred)
        state.SkipWithError("xmlrpc_serialize_value failed");
    xmlrpc_env_clean(&env);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(doc.ourText.size()));
    state.counters["text_bytes"] = static_cast<double>(doc.peerText.size());
}

void peerParseBench(benchmark::State &state, const Document &doc, const std::string &text)
{
    xmlrpc_env env;
    xmlrpc_env_init(&env);
    for (auto _ : state) {
        xmlrpc_value *value = nullptr;
        xmlrpc_parse_value_xml(&env, text.data(), text.size(), &value);
        if (env.fault_occurred) {
            state.SkipWithError("xmlrpc_parse_value_xml failed");
            break;
        }
        benchmark::DoNotOptimize(value);
        xmlrpc_DECREF(value);
    }
    xmlrpc_env_clean(&env);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(doc.ourText.size()));
    state.counters["text_bytes"] = static_cast<double>(text.size());
}

std::vector<xmlrpc_value *> &peerValues()
{
    static std::vector<xmlrpc_value *> values;
    return values;
}

#endif // AXOCOMM_BENCH_XMLRPC_C

void writeFile(const std::string &path, const std::string &text)
{
    if (FILE *f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

// Where two values first differ, for the message of a failed check.
// Doubles may differ by a relative tolerance: xmlrpc-c's reader can be off
// in the last binary digit (it reads "86.625000" as 86.62499999999998).
std::string difference(const XmlRpcValue &a, const XmlRpcValue &b, double tolerance = 0.0,
                       const std::string &path = std::string())
{
    const std::string where = path.empty() ? "the document" : path;
    if (a.getType() != b.getType())
        return where + ": type " + std::to_string(a.getType()) + " against " + std::to_string(b.getType());
    if (a.getType() == XmlRpcValue::TypeStruct) {
        if (a.size() != b.size())
            return where + ": " + std::to_string(a.size()) + " members against " + std::to_string(b.size());
        for (const auto &member : a.asStruct()) {
            if (!b.hasMember(member.first))
                return where + ": member " + member.first + " missing";
            const std::string d = difference(member.second, b[member.first], tolerance, path + "." + member.first);
            if (!d.empty())
                return d;
        }
        return std::string();
    }
    if (a.getType() == XmlRpcValue::TypeArray) {
        if (a.size() != b.size())
            return where + ": " + std::to_string(a.size()) + " elements against " + std::to_string(b.size());
        for (int i = 0; i < a.size(); ++i) {
            const std::string d = difference(a[i], b[i], tolerance, path + "[" + std::to_string(i) + "]");
            if (!d.empty())
                return d;
        }
        return std::string();
    }
    if (a.getType() == XmlRpcValue::TypeDouble
        && std::fabs(a.asDouble() - b.asDouble()) <= tolerance * std::fabs(a.asDouble()))
        return std::string();
    if (a != b) {
        const std::string ta = a.toText(), tb = b.toText();
        return where + ": " + ta.substr(0, 80) + " against " + tb.substr(0, 80);
    }
    return std::string();
}

// Both libraries must agree on every document before anything is timed.
void prepare()
{
    std::vector<Document> &docs = documents();
    docs.push_back(Document{"status", statusDocument(), std::string(), std::string()});
    docs.push_back(Document{"int-array", intArrayDocument(), std::string(), std::string()});
    docs.push_back(Document{"base64", binaryDocument(), std::string(), std::string()});

#ifdef AXOCOMM_BENCH_XMLRPC_C
    // The base64 document's text is larger than xmlrpc-c's default limit.
    xmlrpc_limit_set(XMLRPC_XML_SIZE_LIMIT_ID, 64u * 1024u * 1024u);
#endif

    for (Document &doc : docs) {
        doc.ourText = doc.value.toXml();
        XmlRpcValue back;
        int offset = 0;
        if (!back.fromXml(doc.ourText, &offset) || offset != static_cast<int>(doc.ourText.size()))
            die(std::string("our text of the ") + doc.name + " document does not parse");
        if (back != doc.value)
            die(std::string("our text of the ") + doc.name + " document reads back differently: "
                + difference(doc.value, back));

#ifdef AXOCOMM_BENCH_XMLRPC_C
        xmlrpc_value *peer = toPeer(doc.value);
        peerValues().push_back(peer);
        doc.peerText = peerSerialize(peer);

        // We read xmlrpc-c's text back to the original document...
        XmlRpcValue ourReading;
        offset = 0;
        if (!ourReading.fromXml(doc.peerText, &offset))
            die(std::string("xmlrpc-c's text of the ") + doc.name + " document does not parse with ours");
        if (ourReading != doc.value)
            die(std::string("xmlrpc-c's text of the ") + doc.name + " document reads back differently with ours: "
                + difference(doc.value, ourReading));
        // ...and xmlrpc-c reads ours back to the original document.
        xmlrpc_value *parsed = peerParse(doc.ourText);
        const std::string d = difference(doc.value, fromPeer(parsed), 1e-12);
        if (!d.empty())
            die(std::string("our text of the ") + doc.name + " document reads back differently with xmlrpc-c: " + d);
        xmlrpc_DECREF(parsed);
#endif

        if (const char *dir = std::getenv("AXOCOMM_BENCH_DUMP")) {
            // Debugging aid: the texts of each document in that directory.
            const std::string base = std::string(dir) + "/" + doc.name;
            writeFile(base + ".ours.xml", doc.ourText);
            if (!doc.peerText.empty())
                writeFile(base + ".xmlrpc-c.xml", doc.peerText);
        }
    }
}

void registerAll()
{
    std::vector<Document> &docs = documents();
    for (size_t i = 0; i < docs.size(); ++i) {
        const Document &doc = docs[i];
        const std::string name = doc.name;
        benchmark::RegisterBenchmark(("write/" + name + "/ours").c_str(),
                                     [&doc](benchmark::State &s) { ourWrite(s, doc); });
#ifdef AXOCOMM_BENCH_XMLRPC_C
        xmlrpc_value *peer = peerValues()[i];
        benchmark::RegisterBenchmark(("write/" + name + "/xmlrpc-c").c_str(),
                                     [&doc, peer](benchmark::State &s) { peerWrite(s, doc, peer); });
#endif
        benchmark::RegisterBenchmark(("parse/" + name + "/ours").c_str(),
                                     [&doc](benchmark::State &s) { ourParse(s, doc, doc.ourText); });
#ifdef AXOCOMM_BENCH_XMLRPC_C
        benchmark::RegisterBenchmark(("parse/" + name + "/xmlrpc-c").c_str(),
                                     [&doc](benchmark::State &s) { peerParseBench(s, doc, doc.ourText); });
        benchmark::RegisterBenchmark(("parse-peer/" + name + "/ours").c_str(),
                                     [&doc](benchmark::State &s) { ourParse(s, doc, doc.peerText); });
        benchmark::RegisterBenchmark(("parse-peer/" + name + "/xmlrpc-c").c_str(),
                                     [&doc](benchmark::State &s) { peerParseBench(s, doc, doc.peerText); });
#endif
    }
}

} // namespace

int main(int argc, char **argv)
{
#if defined(__GLIBC__)
    // Left to itself glibc serves blocks above a moving threshold with fresh
    // mappings, so whether a 1.4 MB text costs a few hundred page faults per
    // iteration would depend on what ran before (up to 6 times the time of
    // an xmlrpc-c write). Fixed thresholds keep every block on the heap and
    // the memory mapped, alike for both libraries and in any order.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    prepare();
    registerAll();
#ifdef AXOCOMM_BENCH_XMLRPC_C
    benchmark::AddCustomContext("xmlrpc_c", "1");
#else
    benchmark::AddCustomContext("xmlrpc_c", "0");
#endif
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
#ifdef AXOCOMM_BENCH_XMLRPC_C
    for (xmlrpc_value *value : peerValues())
        xmlrpc_DECREF(value);
#endif
    return 0;
}
