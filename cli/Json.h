#pragma once
// A small JSON writer for the tool's machine-readable output: objects and
// arrays are opened and closed in order, commas and escapes are its business.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

class JsonWriter {
public:
  JsonWriter& BeginObject(const char* key = nullptr) { return Open(key, '{'); }
  JsonWriter& EndObject() { return Close('}'); }
  JsonWriter& BeginArray(const char* key = nullptr) { return Open(key, '['); }
  JsonWriter& EndArray() { return Close(']'); }
  JsonWriter& String(const char* key, const std::string& v)
  {
    Key(key);
    Escaped(v);
    return *this;
  }
  // Non-finite numbers (a silent sound's level in dB) are written as null.
  JsonWriter& Number(const char* key, double v)
  {
    Key(key);
    if (!std::isfinite(v)) {
      mOut += "null";
    } else {
      // The shortest of 15 to 17 digits that reads back as the same double.
      char buf[40];
      for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*g", digits, v);
        if (std::strtod(buf, nullptr) == v) break;
      }
      mOut += buf;
    }
    return *this;
  }
  JsonWriter& Int(const char* key, long long v)
  {
    Key(key);
    mOut += std::to_string(v);
    return *this;
  }
  JsonWriter& Bool(const char* key, bool v)
  {
    Key(key);
    mOut += v ? "true" : "false";
    return *this;
  }
  const std::string& Text() const { return mOut; }

private:
  JsonWriter& Open(const char* key, char c)
  {
    Key(key);
    mOut += c;
    mFirst.push_back(true);
    return *this;
  }
  JsonWriter& Close(char c)
  {
    mOut += c;
    mFirst.pop_back();
    return *this;
  }
  void Key(const char* key)
  {
    if (!mFirst.empty()) {
      if (!mFirst.back()) mOut += ',';
      mFirst.back() = false;
    }
    if (key) {
      Escaped(key);
      mOut += ':';
    }
  }
  void Escaped(const std::string& s)
  {
    mOut += '"';
    for (unsigned char c : s) {
      if (c == '"' || c == '\\') {
        mOut += '\\';
        mOut += static_cast<char>(c);
      } else if (c < 0x20) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", c);
        mOut += buf;
      } else {
        mOut += static_cast<char>(c);
      }
    }
    mOut += '"';
  }
  std::string mOut;
  std::vector<bool> mFirst;
};
