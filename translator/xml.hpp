#pragma once
// XML literal statements: an element written in a source becomes one
// variable whose brace initializer lists the element's tag, attributes,
// data and nested elements as key/value entries.
#include <string>
#include "translator/values.hpp"

void resetXmlState();

void beginXmlStatement();
void openXmlElement(const std::string &openTagText);
void addXmlAttribute(const std::string &name, const std::string &valueToken);
void writeXmlElementHead();
void writeXmlData(const ExprValue &literal);
void writeXmlTemplate(const std::string &tokenText);
void closeXmlElement(const std::string &closeTagText);
void endXmlStatement();
