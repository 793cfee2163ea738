#pragma once
// The two file lists of Batch Edit, "Files in Folder" and "Files to Edit", with their selections:
// moving names between them keeps every name in exactly one list. Names compare exactly, since
// "a.sor" and "A.SOR" are two files on this system. The dialog mirrors these lists.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

/// Most files one batch takes.
inline constexpr int kMaxBatchFiles = 2000;

/// A list of names with a selection flag each.
struct SelectableList {
  std::vector<std::string> names;
  std::vector<bool> selected;

  std::size_t Count() const { return names.size(); }
  std::vector<std::size_t> SelectedRows() const;
  bool HasSelection() const;
  void ClearSelection();
  /// Selects exactly `rows` (rows past the end are ignored).
  void Select(const std::vector<std::size_t>& rows);
  /// The row holding exactly `name`, if any.
  std::optional<std::size_t> Find(const std::string& name) const;
  void Insert(std::size_t at, std::string name);
  void Erase(std::size_t row);
  void Clear();
};

/// What moving files asks of the outside: the trace-file test and the user.
struct BatchListCallbacks {
  std::function<bool(const std::string& name)> isValidTraceFile;
  /// The "Format Error" question about `name`; true answers Yes (go on with the next file).
  std::function<bool(const std::string& name)> askContinue;
  /// A message box.
  std::function<void(const std::string& text)> notify;
};

/// Which buttons of the dialog are enabled.
struct BatchButtonStates {
  bool remove = false;
  bool removeAll = false;
  bool add = false;
  bool addAll = false;
  bool insert = false;
  bool ok = false;
};

class BatchFileLists {
 public:
  /// A new folder's trace files; empties "Files to Edit".
  void SetFolderFiles(std::vector<std::string> names);

  /// The selected folder files to the end of "Files to Edit".
  void Add(const BatchListCallbacks& callbacks);
  /// The selected folder files before the one selected entry of "Files to Edit".
  void Insert(const BatchListCallbacks& callbacks);
  /// Every folder file to the end of "Files to Edit".
  void AddAll(const BatchListCallbacks& callbacks);
  /// The selected entries back to the end of "Files in Folder".
  void Remove();
  /// Every entry back to the end of "Files in Folder".
  void RemoveAll();

  /// The button states, given whether any of the check boxes is ticked.
  BatchButtonStates ButtonStates(bool anyBoxTicked) const;

  SelectableList& Folder() { return m_folder; }
  SelectableList& Edit() { return m_edit; }
  const SelectableList& Folder() const { return m_folder; }
  const SelectableList& Edit() const { return m_edit; }

 private:
  enum class Mode { Add, Insert, AddAll };
  void Move(Mode mode, const std::vector<std::size_t>& taken, const BatchListCallbacks& callbacks);
  void ReturnToFolder(const std::vector<std::size_t>& rows);

  SelectableList m_folder;
  SelectableList m_edit;
};
