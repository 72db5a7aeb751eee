// CString: the framework's text class, with MFC's names and semantics for what the libraries use.
//
// A CString holds bytes (char), may hold embedded zeros, and converts to a zero-terminated LPCTSTR that
// stays valid until the string is next changed. Positions are zero-based ints as in MFC; arguments out of
// range are clamped the way MFC clamps them (Mid, Left, Right, Insert, Delete), and reading a position
// outside the text gives the zero character instead of failing an assertion. A null LPCTSTR is taken as
// the empty text everywhere.
//
// Pass a CString to printf-style functions, Format included, as (LPCTSTR)s: it is not a bare pointer.
#pragma once

#include <cstdarg>
#include <string>

#include "omraplatform/export.h"
#include "omraplatform/wintypes.h"

class OMRAPLATFORM_API CString {
 public:
  CString() = default;
  CString(const CString &other) = default;
  CString(CString &&other) noexcept = default;
  CString(LPCTSTR text);  // NOLINT: implicit as in MFC
  CString(const unsigned char *text);  // NOLINT
  CString(LPCTSTR text, int length);
  CString(TCHAR ch, int repeat = 1);  // NOLINT
  explicit CString(const std::string &text) : m_text(text) {}
  ~CString() = default;

  CString &operator=(const CString &other) = default;
  CString &operator=(CString &&other) noexcept = default;
  CString &operator=(LPCTSTR text);
  CString &operator=(TCHAR ch);

  operator LPCTSTR() const { return m_text.c_str(); }  // NOLINT: implicit as in MFC
  const std::string &str() const { return m_text; }

  int GetLength() const { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }

  TCHAR GetAt(int index) const;
  TCHAR operator[](int index) const { return GetAt(index); }
  void SetAt(int index, TCHAR ch);  // out of range: nothing happens

  CString Left(int count) const;
  CString Right(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString SpanIncluding(LPCTSTR set) const;
  CString SpanExcluding(LPCTSTR set) const;

  // -1 when not found or when start lies beyond the text.
  int Find(TCHAR ch, int start = 0) const;
  int Find(LPCTSTR sub, int start = 0) const;
  int ReverseFind(TCHAR ch) const;
  int FindOneOf(LPCTSTR set) const;

  CString &MakeUpper();
  CString &MakeLower();
  CString &MakeReverse();
  // Without an argument white space is trimmed; with a character or a set, those characters.
  CString &TrimLeft();
  CString &TrimLeft(TCHAR ch);
  CString &TrimLeft(LPCTSTR set);
  CString &TrimRight();
  CString &TrimRight(TCHAR ch);
  CString &TrimRight(LPCTSTR set);
  CString &Trim() { return TrimRight().TrimLeft(); }
  CString &Trim(TCHAR ch) { return TrimRight(ch).TrimLeft(ch); }
  CString &Trim(LPCTSTR set) { return TrimRight(set).TrimLeft(set); }

  // Each returns how many characters or occurrences were replaced or removed.
  int Replace(TCHAR old_ch, TCHAR new_ch);
  int Replace(LPCTSTR old_text, LPCTSTR new_text);
  int Remove(TCHAR ch);
  // Each returns the new length.
  int Insert(int index, TCHAR ch);
  int Insert(int index, LPCTSTR text);
  int Delete(int index, int count = 1);

  // The string id of the current module's string table (see resources.h); FALSE, leaving the text as it
  // was, when there is none.
  BOOL LoadString(UINT id);

  void Format(LPCTSTR format, ...) __attribute__((format(printf, 2, 3)));
  void FormatV(LPCTSTR format, va_list args);
  void AppendFormat(LPCTSTR format, ...) __attribute__((format(printf, 2, 3)));

  // strcmp and case-blind strcmp results: below, at or above zero.
  int Compare(LPCTSTR other) const;
  int CompareNoCase(LPCTSTR other) const;
  int Collate(LPCTSTR other) const { return Compare(other); }

  // A writable buffer of at least min_length characters plus a terminating zero. After writing,
  // ReleaseBuffer(-1) takes the length up to the first zero, ReleaseBuffer(n) takes n characters.
  LPTSTR GetBuffer(int min_length = 0);
  LPTSTR GetBufferSetLength(int length);
  void ReleaseBuffer(int new_length = -1);

  CString &operator+=(const CString &other);
  CString &operator+=(LPCTSTR text);
  CString &operator+=(TCHAR ch);

  friend OMRAPLATFORM_API CString operator+(const CString &a, const CString &b);
  friend OMRAPLATFORM_API CString operator+(const CString &a, LPCTSTR b);
  friend OMRAPLATFORM_API CString operator+(LPCTSTR a, const CString &b);
  friend OMRAPLATFORM_API CString operator+(const CString &a, TCHAR b);
  friend OMRAPLATFORM_API CString operator+(TCHAR a, const CString &b);

 private:
  std::string m_text;
};

inline bool operator==(const CString &a, const CString &b) { return a.str() == b.str(); }
inline bool operator==(const CString &a, LPCTSTR b) { return a.Compare(b) == 0; }
inline bool operator==(LPCTSTR a, const CString &b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString &a, const CString &b) { return !(a == b); }
inline bool operator!=(const CString &a, LPCTSTR b) { return !(a == b); }
inline bool operator!=(LPCTSTR a, const CString &b) { return !(a == b); }
inline bool operator<(const CString &a, const CString &b) { return a.Compare(b) < 0; }
inline bool operator<(const CString &a, LPCTSTR b) { return a.Compare(b) < 0; }
inline bool operator<(LPCTSTR a, const CString &b) { return b.Compare(a) > 0; }
inline bool operator>(const CString &a, const CString &b) { return a.Compare(b) > 0; }
inline bool operator>(const CString &a, LPCTSTR b) { return a.Compare(b) > 0; }
inline bool operator>(LPCTSTR a, const CString &b) { return b.Compare(a) < 0; }
inline bool operator<=(const CString &a, const CString &b) { return a.Compare(b) <= 0; }
inline bool operator<=(const CString &a, LPCTSTR b) { return a.Compare(b) <= 0; }
inline bool operator<=(LPCTSTR a, const CString &b) { return b.Compare(a) >= 0; }
inline bool operator>=(const CString &a, const CString &b) { return a.Compare(b) >= 0; }
inline bool operator>=(const CString &a, LPCTSTR b) { return a.Compare(b) >= 0; }
inline bool operator>=(LPCTSTR a, const CString &b) { return b.Compare(a) <= 0; }
