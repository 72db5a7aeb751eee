// The framework's collections: CStringList (a doubly linked list of CString walked with POSITION values)
// and CPtrArray (a growable array of untyped pointers), with MFC's names and semantics.
//
// A POSITION names one element of one list and stays valid until that element is removed; a null
// POSITION means "none" (the end of a walk, or not found). Calls that MFC guards only with an assertion
// (RemoveHead of an empty list, an index outside an array) are made harmless here: they give an empty
// string or a null pointer and change nothing. Array element references (operator[], ElementAt) outside
// the array throw std::out_of_range, since there is no element to refer to.
#pragma once

#include <list>
#include <vector>

#include "omraplatform/cstring.h"
#include "omraplatform/export.h"
#include "omraplatform/wintypes.h"

struct __POSITION {};
typedef __POSITION *POSITION;

class OMRAPLATFORM_API CStringList {
 public:
  CStringList() = default;
  explicit CStringList(INT_PTR block_size) {}
  CStringList(const CStringList &) = delete;  // as in MFC, lists are not copied
  CStringList &operator=(const CStringList &) = delete;
  ~CStringList() = default;

  INT_PTR GetCount() const { return static_cast<INT_PTR>(m_items.size()); }
  INT_PTR GetSize() const { return GetCount(); }
  bool IsEmpty() const { return m_items.empty(); }

  // GetHead and GetTail of an empty list give an empty string that is not part of the list.
  CString &GetHead();
  const CString &GetHead() const;
  CString &GetTail();
  const CString &GetTail() const;

  POSITION AddHead(LPCTSTR item);
  POSITION AddHead(const CString &item);
  void AddHead(const CStringList *other);
  POSITION AddTail(LPCTSTR item);
  POSITION AddTail(const CString &item);
  void AddTail(const CStringList *other);
  CString RemoveHead();
  CString RemoveTail();
  void RemoveAll() { m_items.clear(); }

  POSITION GetHeadPosition() const;
  POSITION GetTailPosition() const;
  // The element at pos; pos then names the next (previous) element, or null after the last (first).
  CString &GetNext(POSITION &pos);
  const CString &GetNext(POSITION &pos) const;
  CString &GetPrev(POSITION &pos);
  const CString &GetPrev(POSITION &pos) const;

  CString &GetAt(POSITION pos);
  const CString &GetAt(POSITION pos) const;
  void SetAt(POSITION pos, LPCTSTR item);
  void SetAt(POSITION pos, const CString &item);
  void RemoveAt(POSITION pos);
  POSITION InsertBefore(POSITION pos, LPCTSTR item);  // a null pos inserts at the head
  POSITION InsertBefore(POSITION pos, const CString &item);
  POSITION InsertAfter(POSITION pos, LPCTSTR item);  // a null pos inserts at the tail
  POSITION InsertAfter(POSITION pos, const CString &item);

  // The first element equal (case-sensitive) to value after start_after (from the head when null).
  POSITION Find(LPCTSTR value, POSITION start_after = nullptr) const;
  // The element at a zero-based index, or null.
  POSITION FindIndex(INT_PTR index) const;

 private:
  struct Node;
  using List = std::list<Node>;
  struct Node : __POSITION {
    CString value;
    List::iterator self;
    explicit Node(const CString &v) : value(v) {}
  };
  POSITION insert(List::iterator where, const CString &item);
  static Node *node(POSITION pos) { return static_cast<Node *>(pos); }
  static POSITION position(const Node &n) { return const_cast<Node *>(&n); }
  List m_items;
};

class OMRAPLATFORM_API CPtrArray {
 public:
  CPtrArray() = default;
  CPtrArray(const CPtrArray &) = delete;
  CPtrArray &operator=(const CPtrArray &) = delete;
  ~CPtrArray() = default;

  INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
  INT_PTR GetCount() const { return GetSize(); }
  INT_PTR GetUpperBound() const { return GetSize() - 1; }
  bool IsEmpty() const { return m_items.empty(); }
  void SetSize(INT_PTR new_size, INT_PTR grow_by = -1);  // new slots are null

  void *GetAt(INT_PTR index) const;  // null outside the array
  void SetAt(INT_PTR index, void *element);  // nothing outside the array
  void SetAtGrow(INT_PTR index, void *element);
  void *&ElementAt(INT_PTR index);
  void *&operator[](INT_PTR index) { return ElementAt(index); }
  void *operator[](INT_PTR index) const { return GetAt(index); }
  void **GetData() { return m_items.data(); }

  INT_PTR Add(void *element);  // the new element's index
  INT_PTR Append(const CPtrArray &other);  // the index of the first appended element
  void Copy(const CPtrArray &other);
  void InsertAt(INT_PTR index, void *element, INT_PTR count = 1);  // beyond the end: grows with nulls
  void RemoveAt(INT_PTR index, INT_PTR count = 1);
  void RemoveAll() { m_items.clear(); }
  void FreeExtra() { m_items.shrink_to_fit(); }

 private:
  std::vector<void *> m_items;
};
