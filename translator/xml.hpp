#pragma once
// XML literal statements: an element written in a source becomes one
// variable whose brace initializer lists the element's tag, attributes,
// data and nested elements as key/value entries.
#include <string>
#include <vector>
#include "translator/values.hpp"


void beginXmlStatement();
void openXmlElement(const std::string &openTagText);
void addXmlAttribute(const std::string &name, const std::string &valueToken);
void writeXmlElementHead();
void writeXmlData(const ExprValue &literal);
void writeXmlTemplate(const std::string &tokenText);
void closeXmlElement(const std::string &closeTagText);
void endXmlStatement();

// Part of the state of one translation (translator/source_translation.hpp).
// The state of the XML statement being translated.
struct XmlState {
    bool root = false;         // the next element is the outermost one
    bool needComma = false;    // an entry has been written: the next needs a separator
    bool afterChild = false;   // an element has just closed (or the statement starts)
    std::string key;           // key of the current element
    std::string closeName;     // name the closing tag must carry
    std::string attributes;    // entries of the current element's attributes
    bool idUsed = false;       // the current element is keyed by its id
    std::string elementName;   // name of the element being opened
    std::vector<std::string> tagStack;
    int counter = 0;           // generated keys of this statement
    int statementIndent = 0;   // indentation when the statement began
    // Where the variable lives: a file-level variable met once main is open
    // is defined after main and receives its value in main.
    bool fileLevel = false;
    bool late = false;
};
