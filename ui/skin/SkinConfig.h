#pragma once
// Base of every per-class style record. A control's record is a clone of the
// default registered for its class with the skin's style element read over it.
namespace UI {

class CSkinReader;

class _SkinConfig {
 public:
  _SkinConfig() = default;
  _SkinConfig(const _SkinConfig&) = default;
  _SkinConfig& operator=(const _SkinConfig&) = default;
  virtual ~_SkinConfig() = default;

  // Deletes the record through its virtual destructor (callers skip null records).
  virtual void Release();
  // All of other's values into this record; nothing for null.
  virtual void Copy(_SkinConfig* other) = 0;
  virtual void Reset() = 0;
  // The record's attributes from the reader's element; absent ones keep their value.
  virtual int Read(CSkinReader* reader) = 0;
  // A new record of the same class with this record's values.
  virtual _SkinConfig* Clone() = 0;
};

}  // namespace UI
