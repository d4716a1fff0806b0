#include "xml/CXMLDocument.h"

#include "xml/CXMLNodeSet.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>

#include <climits>
#include <cstdio>
#include <cstring>


namespace xml {

namespace {

const char* const SOURCE = "XMLDocument";

void ignoreGenericError(void*, const char*, ...) {}
void ignoreStructuredError(void*, xmlErrorPtr) {}

// libxml2 reports parse and XPath errors through its error handlers, which by
// default write to stderr. This layer reports failures through its results
// only, so the handlers are silenced for the duration of one libxml2 call and
// restored afterwards.
class QuietErrors {
public:
    QuietErrors()
        : genericHandler(xmlGenericError),
          genericContext(xmlGenericErrorContext),
          structuredHandler(xmlStructuredError),
          structuredContext(xmlStructuredErrorContext) {
        xmlSetGenericErrorFunc(nullptr, ignoreGenericError);
        xmlSetStructuredErrorFunc(nullptr, ignoreStructuredError);
    }
    ~QuietErrors() {
        xmlSetGenericErrorFunc(genericContext, genericHandler);
        xmlSetStructuredErrorFunc(structuredContext, structuredHandler);
    }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

private:
    xmlGenericErrorFunc genericHandler;
    void* genericContext;
    xmlStructuredErrorFunc structuredHandler;
    void* structuredContext;
};

} // namespace

CXMLDocument::CXMLDocument() : document(nullptr), loaded(false) {}

CXMLDocument::CXMLDocument(const std::string& fileName, std::size_t maxBytes)
    : document(nullptr), loaded(false) {
    std::string text;
    const zel::DataFileStatus status = zel::readDataFile(fileName, maxBytes, text);
    fileStatus = status;
    if (status != zel::DataFileStatus::OK) {
        refusal = zel::describeDataFileStatus(status);
        if (status == zel::DataFileStatus::TOO_LARGE) {
            refusal += " (" + std::to_string(maxBytes) + " bytes)";
        }
        return;
    }
    parse(text, fileName);
}

std::unique_ptr<CXMLDocument> CXMLDocument::fromText(const std::string& text) {
    std::unique_ptr<CXMLDocument> document(new CXMLDocument());
    document->parse(text, "memory");
    return document;
}

void CXMLDocument::parse(const std::string& text, const std::string& name) {
    refusal = screen(text);
    if (!refusal.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) {
        return;
    }
    QuietErrors quiet;
    // From memory the parser never decompresses; no network, no entity
    // substitution, and the parser's own size limits stay on (no XML_PARSE_HUGE).
    document = xmlReadMemory(text.data(), static_cast<int>(text.size()), name.c_str(), nullptr,
                             XML_PARSE_NONET);
    loaded = document != nullptr;
}

namespace {

bool startsWith(const std::string& text, std::size_t at, const char* prefix) {
    return text.compare(at, std::strlen(prefix), prefix) == 0;
}

// Index just past the first occurrence of end at or after from; npos when absent.
std::size_t skipPast(const std::string& text, std::size_t from, const char* end) {
    const std::size_t found = text.find(end, from);
    return found == std::string::npos ? std::string::npos : found + std::strlen(end);
}

} // namespace

std::string CXMLDocument::screen(const std::string& text) {
    // One linear pass over the markup: comments, processing instructions and
    // character data are skipped whole; in a start tag, every '=' outside a
    // quoted value introduces one attribute.
    std::size_t i = 0;
    while (i < text.size()) {
        i = text.find('<', i);
        if (i == std::string::npos) break;
        if (startsWith(text, i, "<!--")) {
            i = skipPast(text, i + 4, "-->");
        } else if (startsWith(text, i, "<![CDATA[")) {
            i = skipPast(text, i + 9, "]]>");
        } else if (startsWith(text, i, "<?")) {
            i = skipPast(text, i + 2, "?>");
        } else if (startsWith(text, i, "<!")) {
            return "declares a document type or entities, which are not accepted";
        } else {
            std::size_t attributes = 0;
            char quote = 0;
            ++i;
            for (; i < text.size(); ++i) {
                const char c = text[i];
                if (quote != 0) {
                    if (c == quote) quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=') {
                    if (++attributes > MAX_ATTRIBUTES_PER_ELEMENT) {
                        return "has an element with more than " + std::to_string(MAX_ATTRIBUTES_PER_ELEMENT) +
                               " attributes";
                    }
                } else if (c == '>' || c == '<') {
                    break;
                }
            }
            if (i < text.size() && text[i] == '>') ++i;
        }
        if (i == std::string::npos) break;
    }
    return std::string();
}

CXMLDocument::~CXMLDocument() {
    if (document != nullptr) {
        xmlFreeDoc(document);
    }
}

bool CXMLDocument::isLoaded() const {
    return loaded;
}

const std::string& CXMLDocument::getRefusal() const {
    return refusal;
}

zel::DataFileStatus CXMLDocument::getFileStatus() const {
    return fileStatus;
}

std::unique_ptr<CXMLNodeSet> CXMLDocument::evaluateXPath(const std::string& expression) {
    if (document == nullptr) {
        return nullptr;
    }
    QuietErrors quiet;
    xmlXPathContextPtr context = xmlXPathNewContext(document);
    if (context == nullptr) {
        printf("ERROR: [%s] Could not create XPath context.\n", SOURCE);
        return nullptr;
    }
    xmlXPathObjectPtr result =
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression.c_str()), context);
    if (result == nullptr) {
        printf("ERROR: [%s] Could not evaluate XPath expression.\n", SOURCE);
        xmlXPathFreeContext(context);
        return nullptr;
    }
    auto nodeSet = std::make_unique<CXMLNodeSet>(result);
    // The result object does not refer to the context, so it outlives it.
    xmlXPathFreeContext(context);
    return nodeSet;
}

} // namespace xml
