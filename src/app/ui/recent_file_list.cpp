#include "app/ui/recent_file_list.h"

#include <QSettings>
#include <algorithm>

namespace {

const QString kGroup = QStringLiteral("Recent File List");

QString EntryKey(std::size_t index) { return QStringLiteral("File%1").arg(index + 1); }

}  // namespace

void RecentFileList::Load() {
  QSettings settings;
  settings.beginGroup(kGroup);
  m_paths.clear();
  for (std::size_t i = 0; i < kSize; ++i) {
    const QString path = settings.value(EntryKey(i)).toString();
    if (!path.isEmpty()) m_paths.push_back(path.toStdString());
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
      settings.setValue(EntryKey(i), QString::fromStdString(m_paths[i]));
    } else {
      settings.remove(EntryKey(i));
    }
  }
}
