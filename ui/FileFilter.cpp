#include "ui/FileFilter.h"

#include <QRegularExpression>
#include <QStringList>

namespace quillon::ui {

QString QtFileFilter(const QString& pairs) {
  QStringList parts = pairs.split(QLatin1Char('|'));
  while (!parts.isEmpty() && parts.back().trimmed().isEmpty()) parts.removeLast();
  QStringList filters;
  static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  for (int i = 0; i < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    description.remove(shownPatterns);
    QStringList patterns;
    if (i + 1 < parts.size()) {
      for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        if (trimmed.isEmpty()) continue;
        patterns << (trimmed == QStringLiteral("*.*") ? QStringLiteral("*") : trimmed);
      }
    }
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    patterns.removeDuplicates();
    filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace quillon::ui
