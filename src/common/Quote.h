#pragma once

#include <QString>

namespace vc {

// Wraps text in double quotes exactly when it holds a blank; nothing else is escaped.
inline QString Q(const QString& text) {
    return text.contains(u' ') ? u'"' + text + u'"' : text;
}

} // namespace vc
