#include "ui/FileFilters.h"

#include <QStringList>

namespace velmio::ui {

QString ToQtFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    const QString patterns = parts[i + 1].trimmed();
    if (description.isEmpty() && patterns.isEmpty()) break;  // the "||" that ends the list
    const qsizetype open = description.lastIndexOf(u'(');
    if (open > 0 && description.endsWith(u')')) description = description.left(open).trimmed();
    QStringList globs = patterns.split(u';', Qt::SkipEmptyParts);
    for (QString& glob : globs) glob = glob.trimmed();
    filters << QStringLiteral("%1 (%2)").arg(description, globs.join(u' '));
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace velmio::ui
