#pragma once
// How a record's fields map to a table's columns, in table order: used both to
// bind a record's values to a REPLACE statement and to read a result row into
// a record. Columns are matched by name (case-sensitive), so a SELECT of a few
// columns fills only those fields; unknown columns are skipped.
#include <cstring>
#include <vector>

#include <juce_core/juce_core.h>

#include "client/core/db/DBStatement.h"

namespace DBValue {
// Decimal text as the tables hold it: leading blanks, a sign, digits; reading
// stops at the first other character; out-of-range values are clamped.
juce::int64 ToInt64(const char* text);
int ToInt32(const char* text);
juce::String ToText(const char* utf8);
}  // namespace DBValue

template <class Record>
struct DBColumn {
  // A column without a field (see fixedValue).
  explicit DBColumn(const char* columnName) : name(columnName) {}
  DBColumn(const char* columnName, juce::String Record::*field) : name(columnName), text(field) {}
  DBColumn(const char* columnName, int Record::*field) : name(columnName), int32(field) {}
  DBColumn(const char* columnName, juce::int64 Record::*field) : name(columnName), int64(field) {}

  const char* name;
  juce::String Record::*text = nullptr;
  int Record::*int32 = nullptr;
  juce::int64 Record::*int64 = nullptr;
  // Written as this text whatever the record holds; never read.
  const char* fixedValue = nullptr;
  // Written from the field, but read by the table's own reader.
  bool readBySelf = false;
};

template <class Record>
using DBColumns = std::vector<DBColumn<Record>>;

template <class Record>
void BindRecord(DBStatement& statement, const Record& record, const DBColumns<Record>& columns) {
  for (const DBColumn<Record>& column : columns) {
    if (column.fixedValue != nullptr)
      statement.Bind(juce::String(column.fixedValue));
    else if (column.text != nullptr)
      statement.Bind(record.*column.text);
    else if (column.int32 != nullptr)
      statement.Bind(record.*column.int32);
    else if (column.int64 != nullptr)
      statement.Bind(record.*column.int64);
  }
}

template <class Record>
void ReadRecord(Record& record, const DBColumns<Record>& columns, int count, char** values,
                char** names) {
  for (int i = 0; i < count; ++i) {
    if (values[i] == nullptr || names[i] == nullptr) continue;
    for (const DBColumn<Record>& column : columns) {
      if (std::strcmp(column.name, names[i]) != 0) continue;
      if (column.fixedValue != nullptr || column.readBySelf) break;
      if (column.text != nullptr)
        record.*column.text = DBValue::ToText(values[i]);
      else if (column.int32 != nullptr)
        record.*column.int32 = DBValue::ToInt32(values[i]);
      else if (column.int64 != nullptr)
        record.*column.int64 = DBValue::ToInt64(values[i]);
      break;
    }
  }
}
