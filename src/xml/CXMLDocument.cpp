#include "xml/CXMLDocument.h"

#include "xml/CXMLNodeSet.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>

#include <cstdio>

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

CXMLDocument::CXMLDocument(const std::string& fileName) : document(nullptr), loaded(false) {
    QuietErrors quiet;
    document = xmlParseFile(fileName.c_str());
    loaded = document != nullptr;
}

CXMLDocument::~CXMLDocument() {
    if (document != nullptr) {
        xmlFreeDoc(document);
    }
}

bool CXMLDocument::isLoaded() const {
    return loaded;
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
