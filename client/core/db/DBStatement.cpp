#include "client/core/db/DBStatement.h"

DBStatement::DBStatement(const juce::String& sql) : m_sql(sql) {}
DBStatement::DBStatement(const wchar_t* sql) : m_sql(sql) {}
DBStatement::DBStatement(const char* sql) : m_sql(sql) {}

DBStatement& DBStatement::Bind(const juce::String& value) {
  m_values.emplace_back(value.toStdString());
  return *this;
}

DBStatement& DBStatement::Bind(juce::int64 value) {
  m_values.emplace_back(std::to_string(value));
  return *this;
}

DBStatement& DBStatement::Bind(int value) {
  m_values.emplace_back(std::to_string(value));
  return *this;
}

juce::String DBStatement::LikePrefix(const juce::String& prefix) {
  juce::String pattern;
  pattern.preallocateBytes(prefix.getNumBytesAsUTF8() + 8);
  for (auto p = prefix.getCharPointer(); !p.isEmpty(); ++p) {
    const juce::juce_wchar c = *p;
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += juce::String::charToString(c);
  }
  return pattern + "%";
}
