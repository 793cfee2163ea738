#include "document/batch_file_lists.h"

#include <algorithm>

#include "platform/number_format.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

std::vector<std::size_t> SelectableList::SelectedRows() const {
  std::vector<std::size_t> rows;
  for (std::size_t i = 0; i < selected.size(); ++i) {
    if (selected[i]) rows.push_back(i);
  }
  return rows;
}

bool SelectableList::HasSelection() const {
  return std::find(selected.begin(), selected.end(), true) != selected.end();
}

void SelectableList::ClearSelection() { std::fill(selected.begin(), selected.end(), false); }

void SelectableList::Select(const std::vector<std::size_t>& rows) {
  ClearSelection();
  for (const std::size_t row : rows) {
    if (row < selected.size()) selected[row] = true;
  }
}

std::optional<std::size_t> SelectableList::Find(const std::string& name) const {
  const auto it = std::find(names.begin(), names.end(), name);
  if (it == names.end()) return std::nullopt;
  return static_cast<std::size_t>(it - names.begin());
}

void SelectableList::Insert(std::size_t at, std::string name) {
  at = std::min(at, names.size());
  names.insert(names.begin() + static_cast<std::ptrdiff_t>(at), std::move(name));
  selected.insert(selected.begin() + static_cast<std::ptrdiff_t>(at), false);
}

void SelectableList::Erase(std::size_t row) {
  if (row >= names.size()) return;
  names.erase(names.begin() + static_cast<std::ptrdiff_t>(row));
  selected.erase(selected.begin() + static_cast<std::ptrdiff_t>(row));
}

void SelectableList::Clear() {
  names.clear();
  selected.clear();
}

void BatchFileLists::SetFolderFiles(std::vector<std::string> names) {
  m_folder.names = std::move(names);
  m_folder.selected.assign(m_folder.names.size(), false);
  m_edit.Clear();
}

void BatchFileLists::Add(const BatchListCallbacks& callbacks) { Move(Mode::Add, m_folder.SelectedRows(), callbacks); }

void BatchFileLists::Insert(const BatchListCallbacks& callbacks) {
  Move(Mode::Insert, m_folder.SelectedRows(), callbacks);
}

void BatchFileLists::AddAll(const BatchListCallbacks& callbacks) {
  std::vector<std::size_t> all(m_folder.Count());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  Move(Mode::AddAll, all, callbacks);
}

void BatchFileLists::Move(Mode mode, const std::vector<std::size_t>& taken, const BatchListCallbacks& callbacks) {
  if (m_edit.Count() + taken.size() > static_cast<std::size_t>(kMaxBatchFiles)) {
    callbacks.notify(g_CurrentStrings[TextRow::FilesMoreThan] + lumivane::Format("%d", kMaxBatchFiles));
    return;
  }
  std::size_t insertAt = m_edit.Count();
  if (mode == Mode::Insert) {
    const std::vector<std::size_t> chosen = m_edit.SelectedRows();
    if (chosen.size() != 1) return;
    insertAt = chosen.front();
  }
  const std::size_t firstInserted = insertAt;
  std::vector<std::size_t> moved;
  for (const std::size_t row : taken) {
    const std::string& name = m_folder.names[row];
    if (const auto listed = m_edit.Find(name)) {
      m_edit.Select({*listed});
      callbacks.notify(name + "  Already exist !");
      break;
    }
    if (callbacks.isValidTraceFile(name)) {
      m_edit.Insert(insertAt++, name);
      moved.push_back(row);
      continue;
    }
    // Yes skips the file and goes on, for Add All as for Add and Insert: only files the test
    // accepts reach the batch, and every name stays in exactly one list.
    if (!callbacks.askContinue(name)) break;
  }
  for (auto it = moved.rbegin(); it != moved.rend(); ++it) m_folder.Erase(*it);
  if (mode == Mode::Insert) m_edit.Select({firstInserted});
}

void BatchFileLists::ReturnToFolder(const std::vector<std::size_t>& rows) {
  for (const std::size_t row : rows) {
    const std::string& name = m_edit.names[row];
    if (!m_folder.Find(name)) m_folder.Insert(m_folder.Count(), name);
  }
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) m_edit.Erase(*it);
}

void BatchFileLists::Remove() { ReturnToFolder(m_edit.SelectedRows()); }

void BatchFileLists::RemoveAll() {
  std::vector<std::size_t> all(m_edit.Count());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  ReturnToFolder(all);
}

BatchButtonStates BatchFileLists::ButtonStates(bool anyBoxTicked) const {
  BatchButtonStates states;
  states.remove = m_edit.HasSelection();
  states.removeAll = m_edit.Count() > 0;
  states.add = m_folder.HasSelection();
  states.addAll = m_folder.Count() > 0;
  states.insert = m_edit.SelectedRows().size() == 1 && m_folder.HasSelection();
  states.ok = m_edit.Count() > 0 && anyBoxTicked;
  return states;
}
