#include "common/Version.h"

namespace vc {

QString programVersion() {
    return QStringLiteral(VC_VERSION);
}

} // namespace vc
