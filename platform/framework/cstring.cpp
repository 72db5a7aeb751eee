// CString over std::string.
#include "omraplatform/cstring.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::string text_of(LPCTSTR text) { return text ? std::string(text) : std::string(); }

bool in_set(LPCTSTR set, char ch) { return set && ch != '\0' && std::strchr(set, ch) != nullptr; }

bool is_space(char ch) { return std::isspace(static_cast<unsigned char>(ch)) != 0; }

}  // namespace

CString::CString(LPCTSTR text) : m_text(text_of(text)) {}

CString::CString(const unsigned char *text) : m_text(text_of(reinterpret_cast<LPCTSTR>(text))) {}

CString::CString(LPCTSTR text, int length) {
  if (text && length > 0) m_text.assign(text, static_cast<size_t>(length));
}

CString::CString(TCHAR ch, int repeat) {
  if (repeat > 0) m_text.assign(static_cast<size_t>(repeat), ch);
}

CString &CString::operator=(LPCTSTR text) {
  // The source may point into this string's own buffer.
  m_text = text_of(text);
  return *this;
}

CString &CString::operator=(TCHAR ch) {
  m_text.assign(1, ch);
  return *this;
}

TCHAR CString::GetAt(int index) const {
  if (index < 0 || index >= GetLength()) return '\0';
  return m_text[static_cast<size_t>(index)];
}

void CString::SetAt(int index, TCHAR ch) {
  if (index < 0 || index >= GetLength()) return;
  m_text[static_cast<size_t>(index)] = ch;
}

CString CString::Left(int count) const {
  count = std::clamp(count, 0, GetLength());
  return CString(m_text.substr(0, static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
  count = std::clamp(count, 0, GetLength());
  return CString(m_text.substr(m_text.size() - static_cast<size_t>(count)));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  first = std::clamp(first, 0, GetLength());
  count = std::clamp(count, 0, GetLength() - first);
  return CString(m_text.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::SpanIncluding(LPCTSTR set) const {
  size_t n = 0;
  while (n < m_text.size() && in_set(set, m_text[n])) ++n;
  return CString(m_text.substr(0, n));
}

CString CString::SpanExcluding(LPCTSTR set) const {
  size_t n = 0;
  while (n < m_text.size() && !in_set(set, m_text[n])) ++n;
  return CString(m_text.substr(0, n));
}

int CString::Find(TCHAR ch, int start) const {
  if (start < 0) start = 0;
  if (start >= GetLength()) return -1;
  size_t at = m_text.find(ch, static_cast<size_t>(start));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(LPCTSTR sub, int start) const {
  if (!sub) return -1;
  if (start < 0) start = 0;
  if (start > GetLength()) return -1;
  size_t at = m_text.find(sub, static_cast<size_t>(start));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(TCHAR ch) const {
  size_t at = m_text.rfind(ch);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(LPCTSTR set) const {
  if (!set || !*set) return -1;
  size_t at = m_text.find_first_of(set);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

CString &CString::MakeUpper() {
  for (char &c : m_text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return *this;
}

CString &CString::MakeLower() {
  for (char &c : m_text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return *this;
}

CString &CString::MakeReverse() {
  std::reverse(m_text.begin(), m_text.end());
  return *this;
}

CString &CString::TrimLeft() {
  size_t n = 0;
  while (n < m_text.size() && is_space(m_text[n])) ++n;
  m_text.erase(0, n);
  return *this;
}

CString &CString::TrimLeft(TCHAR ch) {
  size_t n = 0;
  while (n < m_text.size() && m_text[n] == ch) ++n;
  m_text.erase(0, n);
  return *this;
}

CString &CString::TrimLeft(LPCTSTR set) {
  size_t n = 0;
  while (n < m_text.size() && in_set(set, m_text[n])) ++n;
  m_text.erase(0, n);
  return *this;
}

CString &CString::TrimRight() {
  while (!m_text.empty() && is_space(m_text.back())) m_text.pop_back();
  return *this;
}

CString &CString::TrimRight(TCHAR ch) {
  while (!m_text.empty() && m_text.back() == ch) m_text.pop_back();
  return *this;
}

CString &CString::TrimRight(LPCTSTR set) {
  while (!m_text.empty() && in_set(set, m_text.back())) m_text.pop_back();
  return *this;
}

int CString::Replace(TCHAR old_ch, TCHAR new_ch) {
  int count = 0;
  for (char &c : m_text) {
    if (c == old_ch) {
      c = new_ch;
      ++count;
    }
  }
  return old_ch == new_ch ? 0 : count;
}

int CString::Replace(LPCTSTR old_text, LPCTSTR new_text) {
  if (!old_text || !*old_text) return 0;
  const std::string from(old_text);
  const std::string to = text_of(new_text);
  std::string result;
  int count = 0;
  size_t pos = 0;
  for (size_t at; (at = m_text.find(from, pos)) != std::string::npos; pos = at + from.size()) {
    result.append(m_text, pos, at - pos);
    result += to;
    ++count;
  }
  if (count == 0) return 0;
  result.append(m_text, pos, std::string::npos);
  m_text = std::move(result);
  return count;
}

int CString::Remove(TCHAR ch) {
  size_t before = m_text.size();
  std::erase(m_text, ch);
  return static_cast<int>(before - m_text.size());
}

int CString::Insert(int index, TCHAR ch) {
  index = std::clamp(index, 0, GetLength());
  m_text.insert(static_cast<size_t>(index), 1, ch);
  return GetLength();
}

int CString::Insert(int index, LPCTSTR text) {
  index = std::clamp(index, 0, GetLength());
  m_text.insert(static_cast<size_t>(index), text_of(text));
  return GetLength();
}

int CString::Delete(int index, int count) {
  if (index < 0) index = 0;
  if (count > 0 && index < GetLength()) {
    m_text.erase(static_cast<size_t>(index), static_cast<size_t>(count));
  }
  return GetLength();
}

void CString::Format(LPCTSTR format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void CString::FormatV(LPCTSTR format, va_list args) {
  if (!format) {
    m_text.clear();
    return;
  }
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (needed < 0) {
    m_text.clear();
    return;
  }
  // Formatted into a separate buffer: an argument may be this string's own text.
  std::vector<char> buffer(static_cast<size_t>(needed) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), format, args);
  m_text.assign(buffer.data(), static_cast<size_t>(needed));
}

void CString::AppendFormat(LPCTSTR format, ...) {
  CString tail;
  va_list args;
  va_start(args, format);
  tail.FormatV(format, args);
  va_end(args);
  m_text += tail.m_text;
}

int CString::Compare(LPCTSTR other) const { return std::strcmp(m_text.c_str(), other ? other : ""); }

int CString::CompareNoCase(LPCTSTR other) const {
  return strcasecmp(m_text.c_str(), other ? other : "");
}

LPTSTR CString::GetBuffer(int min_length) {
  if (min_length > GetLength()) m_text.resize(static_cast<size_t>(min_length));
  return m_text.data();
}

LPTSTR CString::GetBufferSetLength(int length) {
  m_text.resize(static_cast<size_t>(std::max(length, 0)));
  return m_text.data();
}

void CString::ReleaseBuffer(int new_length) {
  if (new_length < 0) {
    new_length = static_cast<int>(strnlen(m_text.data(), m_text.size()));
  }
  m_text.resize(static_cast<size_t>(std::min(new_length, GetLength())));
}

CString &CString::operator+=(const CString &other) {
  m_text += other.m_text;
  return *this;
}

CString &CString::operator+=(LPCTSTR text) {
  m_text += text_of(text);
  return *this;
}

CString &CString::operator+=(TCHAR ch) {
  m_text += ch;
  return *this;
}

CString operator+(const CString &a, const CString &b) { return CString(a.m_text + b.m_text); }
CString operator+(const CString &a, LPCTSTR b) { return CString(a.m_text + text_of(b)); }
CString operator+(LPCTSTR a, const CString &b) { return CString(text_of(a) + b.m_text); }
CString operator+(const CString &a, TCHAR b) { return CString(a.m_text + b); }
CString operator+(TCHAR a, const CString &b) { return CString(std::string(1, a) + b.m_text); }
