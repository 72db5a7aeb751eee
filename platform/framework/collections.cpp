// CStringList over std::list and CPtrArray over std::vector.
#include "omraplatform/collections.h"

#include <algorithm>
#include <stdexcept>

namespace {

// What GetHead, GetTail and GetAt give when there is no element: a fresh empty string each time, so a
// caller that writes into it changes nothing that matters.
CString &no_element() {
  static thread_local CString empty;
  empty.Empty();
  return empty;
}

}  // namespace

POSITION CStringList::insert(List::iterator where, const CString &item) {
  auto it = m_items.emplace(where, item);
  it->self = it;
  return position(*it);
}

CString &CStringList::GetHead() { return m_items.empty() ? no_element() : m_items.front().value; }
const CString &CStringList::GetHead() const {
  return m_items.empty() ? no_element() : m_items.front().value;
}
CString &CStringList::GetTail() { return m_items.empty() ? no_element() : m_items.back().value; }
const CString &CStringList::GetTail() const {
  return m_items.empty() ? no_element() : m_items.back().value;
}

POSITION CStringList::AddHead(LPCTSTR item) { return insert(m_items.begin(), CString(item)); }
POSITION CStringList::AddHead(const CString &item) { return insert(m_items.begin(), item); }
POSITION CStringList::AddTail(LPCTSTR item) { return insert(m_items.end(), CString(item)); }
POSITION CStringList::AddTail(const CString &item) { return insert(m_items.end(), item); }

void CStringList::AddHead(const CStringList *other) {
  if (!other || other == this) return;
  for (auto it = other->m_items.rbegin(); it != other->m_items.rend(); ++it) AddHead(it->value);
}

void CStringList::AddTail(const CStringList *other) {
  if (!other || other == this) return;
  for (const Node &n : other->m_items) AddTail(n.value);
}

CString CStringList::RemoveHead() {
  if (m_items.empty()) return CString();
  CString value = std::move(m_items.front().value);
  m_items.pop_front();
  return value;
}

CString CStringList::RemoveTail() {
  if (m_items.empty()) return CString();
  CString value = std::move(m_items.back().value);
  m_items.pop_back();
  return value;
}

POSITION CStringList::GetHeadPosition() const {
  return m_items.empty() ? nullptr : position(m_items.front());
}

POSITION CStringList::GetTailPosition() const {
  return m_items.empty() ? nullptr : position(m_items.back());
}

CString &CStringList::GetNext(POSITION &pos) {
  if (!pos) return no_element();
  Node *n = node(pos);
  auto next = std::next(n->self);
  pos = next == m_items.end() ? nullptr : position(*next);
  return n->value;
}

const CString &CStringList::GetNext(POSITION &pos) const {
  return const_cast<CStringList *>(this)->GetNext(pos);
}

CString &CStringList::GetPrev(POSITION &pos) {
  if (!pos) return no_element();
  Node *n = node(pos);
  pos = n->self == m_items.begin() ? nullptr : position(*std::prev(n->self));
  return n->value;
}

const CString &CStringList::GetPrev(POSITION &pos) const {
  return const_cast<CStringList *>(this)->GetPrev(pos);
}

CString &CStringList::GetAt(POSITION pos) { return pos ? node(pos)->value : no_element(); }
const CString &CStringList::GetAt(POSITION pos) const { return pos ? node(pos)->value : no_element(); }

void CStringList::SetAt(POSITION pos, LPCTSTR item) {
  if (pos) node(pos)->value = item;
}

void CStringList::SetAt(POSITION pos, const CString &item) {
  if (pos) node(pos)->value = item;
}

void CStringList::RemoveAt(POSITION pos) {
  if (pos) m_items.erase(node(pos)->self);
}

POSITION CStringList::InsertBefore(POSITION pos, LPCTSTR item) { return InsertBefore(pos, CString(item)); }
POSITION CStringList::InsertBefore(POSITION pos, const CString &item) {
  return insert(pos ? node(pos)->self : m_items.begin(), item);
}

POSITION CStringList::InsertAfter(POSITION pos, LPCTSTR item) { return InsertAfter(pos, CString(item)); }
POSITION CStringList::InsertAfter(POSITION pos, const CString &item) {
  return insert(pos ? std::next(node(pos)->self) : m_items.end(), item);
}

POSITION CStringList::Find(LPCTSTR value, POSITION start_after) const {
  auto it = start_after ? std::next(node(start_after)->self) : const_cast<List &>(m_items).begin();
  for (; it != m_items.end(); ++it) {
    if (it->value == value) return position(*it);
  }
  return nullptr;
}

POSITION CStringList::FindIndex(INT_PTR index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  auto it = m_items.begin();
  std::advance(it, index);
  return position(*it);
}

void CPtrArray::SetSize(INT_PTR new_size, INT_PTR grow_by) {
  m_items.resize(static_cast<size_t>(new_size < 0 ? 0 : new_size), nullptr);
}

void *CPtrArray::GetAt(INT_PTR index) const {
  if (index < 0 || index >= GetSize()) return nullptr;
  return m_items[static_cast<size_t>(index)];
}

void CPtrArray::SetAt(INT_PTR index, void *element) {
  if (index < 0 || index >= GetSize()) return;
  m_items[static_cast<size_t>(index)] = element;
}

void CPtrArray::SetAtGrow(INT_PTR index, void *element) {
  if (index < 0) return;
  if (index >= GetSize()) m_items.resize(static_cast<size_t>(index) + 1, nullptr);
  m_items[static_cast<size_t>(index)] = element;
}

void *&CPtrArray::ElementAt(INT_PTR index) {
  if (index < 0 || index >= GetSize()) throw std::out_of_range("CPtrArray index out of range");
  return m_items[static_cast<size_t>(index)];
}

INT_PTR CPtrArray::Add(void *element) {
  m_items.push_back(element);
  return GetSize() - 1;
}

INT_PTR CPtrArray::Append(const CPtrArray &other) {
  INT_PTR first = GetSize();
  std::vector<void *> copy = other.m_items;  // other may be this array
  m_items.insert(m_items.end(), copy.begin(), copy.end());
  return first;
}

void CPtrArray::Copy(const CPtrArray &other) {
  if (&other != this) m_items = other.m_items;
}

void CPtrArray::InsertAt(INT_PTR index, void *element, INT_PTR count) {
  if (index < 0 || count <= 0) return;
  if (index > GetSize()) m_items.resize(static_cast<size_t>(index), nullptr);
  m_items.insert(m_items.begin() + index, static_cast<size_t>(count), element);
}

void CPtrArray::RemoveAt(INT_PTR index, INT_PTR count) {
  if (index < 0 || count <= 0 || index >= GetSize()) return;
  INT_PTR end = std::min(GetSize(), index + count);
  m_items.erase(m_items.begin() + index, m_items.begin() + end);
}
