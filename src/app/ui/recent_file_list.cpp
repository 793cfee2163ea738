#include "app/ui/recent_file_list.h"

#include <QByteArray>
#include <QFile>
#include <QSettings>
#include <QVariant>
#include <algorithm>

namespace {

const QString kGroup = QStringLiteral("Recent File List");

QString EntryKey(std::size_t index) { return QStringLiteral("File%1").arg(index + 1); }

// A path is kept as the file system's bytes: a name that is not UTF-8 would not survive as text.
// Lists written as text by earlier versions read as the bytes that text names.
std::string StoredPath(const QVariant& value) {
  const QByteArray bytes =
      value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QFile::encodeName(value.toString());
  return bytes.toStdString();
}

}  // namespace

void RecentFileList::Load() {
  QSettings settings;
  settings.beginGroup(kGroup);
  m_paths.clear();
  for (std::size_t i = 0; i < kSize; ++i) {
    const std::string path = StoredPath(settings.value(EntryKey(i)));
    if (!path.empty()) m_paths.push_back(path);
  }
}

void RecentFileList::Add(const std::string& path) {
  std::erase(m_paths, path);
  m_paths.insert(m_paths.begin(), path);
  if (m_paths.size() > kSize) m_paths.resize(kSize);
  Save();
}

void RecentFileList::Remove(const std::string& path) {
  std::erase(m_paths, path);
  Save();
}

void RecentFileList::Save() const {
  QSettings settings;
  settings.beginGroup(kGroup);
  for (std::size_t i = 0; i < kSize; ++i) {
    if (i < m_paths.size()) {
      settings.setValue(EntryKey(i), QByteArray::fromStdString(m_paths[i]));
    } else {
      settings.remove(EntryKey(i));
    }
  }
}
