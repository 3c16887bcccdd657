#pragma once
// One SQL statement: its text, with a '?' where each value goes, and the values
// in order. Values always reach SQLite as bound parameters, never as part of the
// text, so a name holding quotes, or one that equals a column name, is compared
// as the text it is. The tables store every value as text, so numbers are bound
// as their decimal text.
#include <string>
#include <vector>

#include <juce_core/juce_core.h>

class DBStatement {
 public:
  // A statement without values (CREATE, DROP) converts from its text.
  DBStatement(const juce::String& sql);  // NOLINT(google-explicit-constructor)
  DBStatement(const wchar_t* sql);       // NOLINT(google-explicit-constructor)
  DBStatement(const char* sql);          // NOLINT(google-explicit-constructor)

  DBStatement& Bind(const juce::String& value);
  DBStatement& Bind(juce::int64 value);
  DBStatement& Bind(int value);

  const juce::String& GetSQL() const { return m_sql; }
  // The values as UTF-8, in the order of the '?' marks.
  const std::vector<std::string>& GetValues() const { return m_values; }

  // A LIKE pattern that matches exactly the texts beginning with prefix: '%',
  // '_' and the escape character in the prefix stand for themselves. Use it
  // with "LIKE ? ESCAPE '\'".
  static juce::String LikePrefix(const juce::String& prefix);

 private:
  juce::String m_sql;
  std::vector<std::string> m_values;
};
