#include "vorn/core/batch/BatchWire.h"

#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

/// Appends length-prefixed fields.
class FieldWriter {
public:
    void text(const std::string& value) {
        m_bytes += std::to_string(value.size());
        m_bytes += ':';
        m_bytes += value;
    }
    void number(uint64_t value) { text(std::to_string(value)); }
    void flag(bool value) { text(value ? "1" : "0"); }
    /// Doubles go as their bit pattern: the decimal round trip is exact only with care.
    void real(double value) {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        number(bits);
    }
    std::string take() { return std::move(m_bytes); }

private:
    std::string m_bytes;
};

/// Reads length-prefixed fields; any malformed field makes every later read fail.
class FieldReader {
public:
    explicit FieldReader(const std::string& bytes) : m_bytes(bytes) {}

    std::optional<std::string> text() {
        const size_t colon = m_bytes.find(':', m_at);
        if (!m_ok || colon == std::string::npos)
            return fail();
        size_t length = 0;
        const char* first = m_bytes.data() + m_at;
        const char* last = m_bytes.data() + colon;
        const auto [end, code] = std::from_chars(first, last, length);
        if (code != std::errc() || end != last || first == last ||
            length > m_bytes.size() - colon - 1)
            return fail();
        std::string value = m_bytes.substr(colon + 1, length);
        m_at = colon + 1 + length;
        return value;
    }
    std::optional<uint64_t> number() {
        const std::optional<std::string> field = text();
        uint64_t value = 0;
        if (!field)
            return std::nullopt;
        const char* last = field->data() + field->size();
        const auto [end, code] = std::from_chars(field->data(), last, value);
        if (code != std::errc() || end != last || field->empty())
            return fail<uint64_t>();
        return value;
    }
    std::optional<bool> flag() {
        const std::optional<std::string> field = text();
        if (!field || (*field != "0" && *field != "1"))
            return fail<bool>();
        return *field == "1";
    }
    std::optional<double> real() {
        const std::optional<uint64_t> bits = number();
        if (!bits)
            return std::nullopt;
        double value = 0;
        std::memcpy(&value, &*bits, sizeof value);
        return value;
    }
    /// True when every field read well and nothing is left over.
    bool finished() const { return m_ok && m_at == m_bytes.size(); }

private:
    template <typename T = std::string>
    std::optional<T> fail() {
        m_ok = false;
        return std::nullopt;
    }

    const std::string& m_bytes;
    size_t m_at = 0;
    bool m_ok = true;
};

} // namespace

std::string EncodeBatchOutcome(const BatchTestOutcome& outcome) {
    FieldWriter out;
    out.number(outcome.index);
    out.text(outcome.testName);
    out.text(outcome.label);
    out.flag(outcome.counting);
    out.number(outcome.unfoldings.size());
    for (const BatchUnfolding& u : outcome.unfoldings) {
        out.text(u.strategy);
        out.flag(u.success);
        out.real(u.score);
    }
    out.text(outcome.failureXml);
    out.number(outcome.messages.size());
    for (const std::string& message : outcome.messages)
        out.text(message);
    out.number(outcome.pdfs.size());
    for (const auto& [temporary, final] : outcome.pdfs) {
        out.text(temporary);
        out.text(final);
    }
    return out.take();
}

bool DecodeBatchOutcome(const std::string& bytes, BatchTestOutcome& outcome) {
    FieldReader in(bytes);
    outcome = BatchTestOutcome();
    outcome.index = in.number().value_or(0);
    outcome.testName = in.text().value_or("");
    outcome.label = in.text().value_or("");
    outcome.counting = in.flag().value_or(false);
    // Counts are checked against what is left, so a corrupt count cannot ask for
    // a huge allocation.
    const uint64_t unfoldings = in.number().value_or(0);
    if (unfoldings > bytes.size())
        return false;
    for (uint64_t i = 0; i < unfoldings; ++i) {
        BatchUnfolding u;
        u.strategy = in.text().value_or("");
        u.success = in.flag().value_or(false);
        u.score = in.real().value_or(0);
        outcome.unfoldings.push_back(std::move(u));
    }
    outcome.failureXml = in.text().value_or("");
    const uint64_t messages = in.number().value_or(0);
    if (messages > bytes.size())
        return false;
    for (uint64_t i = 0; i < messages; ++i)
        outcome.messages.push_back(in.text().value_or(""));
    const uint64_t pdfs = in.number().value_or(0);
    if (pdfs > bytes.size())
        return false;
    for (uint64_t i = 0; i < pdfs; ++i) {
        std::string temporary = in.text().value_or("");
        outcome.pdfs.emplace_back(std::move(temporary), in.text().value_or(""));
    }
    return in.finished();
}

std::string EncodeBatchOutcomes(const std::vector<BatchTestOutcome>& outcomes) {
    FieldWriter out;
    out.number(outcomes.size());
    for (const BatchTestOutcome& outcome : outcomes)
        out.text(EncodeBatchOutcome(outcome));
    return out.take();
}

bool DecodeBatchOutcomes(const std::string& bytes, std::vector<BatchTestOutcome>& outcomes) {
    FieldReader in(bytes);
    outcomes.clear();
    const uint64_t count = in.number().value_or(0);
    if (count > bytes.size())
        return false;
    for (uint64_t i = 0; i < count; ++i) {
        const std::optional<std::string> field = in.text();
        BatchTestOutcome outcome;
        if (!field || !DecodeBatchOutcome(*field, outcome))
            return false;
        outcomes.push_back(std::move(outcome));
    }
    return in.finished();
}

std::string EncodeBatchOptions(const BatchOptions& options) {
    FieldWriter out;
    out.number(options.strategies.size());
    for (const OfferedStrategy& strategy : options.strategies)
        out.text(strategy.factory ? std::string(strategy.factory->getClassName()) : "");
    out.number(options.tests.size());
    for (const std::string& test : options.tests)
        out.text(test);
    out.text(options.recordTo);
    out.text(options.modelPath);
    out.flag(options.writePdfs);
    out.flag(options.varyRandoms);
    out.flag(options.captureFails);
    out.number(options.seed);
    out.number(options.maxRounds);
    out.text(options.sceneName);
    std::string model;
    if (options.currentModel) {
        XML node("PolyMesh");
        // Writing does not change the mesh; the scene interface is not const.
        const_cast<PolyMesh*>(options.currentModel)->write(node);
        model = node.toCompactString();
    }
    out.text(model);
    return out.take();
}

bool DecodeBatchOptions(const std::string& bytes, BatchOptions& options,
                        std::unique_ptr<PolyMesh>& currentModel, std::string& error) {
    FieldReader in(bytes);
    BatchOptions decoded;
    const uint64_t strategies = in.number().value_or(0);
    if (strategies > bytes.size()) {
        error = "the batch choices received are damaged";
        return false;
    }
    for (uint64_t i = 0; i < strategies; ++i) {
        const std::string name = in.text().value_or("");
        OfferedStrategy strategy = FindOfferedStrategy(name);
        if (!strategy.factory) {
            error = "the strategy '" + name + "' is not available in this process";
            return false;
        }
        decoded.strategies.push_back(strategy);
    }
    const uint64_t tests = in.number().value_or(0);
    if (tests > bytes.size()) {
        error = "the batch choices received are damaged";
        return false;
    }
    for (uint64_t i = 0; i < tests; ++i)
        decoded.tests.push_back(in.text().value_or(""));
    decoded.recordTo = in.text().value_or("");
    decoded.modelPath = in.text().value_or("");
    decoded.writePdfs = in.flag().value_or(false);
    decoded.varyRandoms = in.flag().value_or(false);
    decoded.captureFails = in.flag().value_or(false);
    decoded.seed = unsigned(in.number().value_or(0));
    decoded.maxRounds = size_t(in.number().value_or(0));
    decoded.sceneName = in.text().value_or("");
    const std::string model = in.text().value_or("");
    if (!in.finished()) {
        error = "the batch choices received are damaged";
        return false;
    }
    std::unique_ptr<PolyMesh> mesh;
    if (!model.empty()) {
        XML node;
        if (!node.parse(model)) {
            error = "the current model received does not parse: " + node.getError();
            return false;
        }
        mesh = std::make_unique<PolyMesh>();
        mesh->read(node);
    }
    decoded.randomBuilder = options.randomBuilder;
    decoded.pdfWriter = options.pdfWriter;
    decoded.currentModel = mesh.get();
    options = std::move(decoded);
    currentModel = std::move(mesh);
    return true;
}
