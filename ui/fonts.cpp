#include "fonts.hpp"

#include <QStringList>

namespace morvane {
namespace {

const QString kArial = QStringLiteral("Arial");
const QString kMsSansSerif = QStringLiteral("MS Sans Serif");
const QString kMingFace = QStringLiteral("新細明體");

}  // namespace

void InstallFontSubstitutes() {
  // Latin text takes the first face; characters it lacks (all Chinese) come from the next
  // ones in order, so Chinese captions in an "Arial" frame get a Traditional Chinese face.
  const QStringList chinese = {QStringLiteral("AR PL UMing TW"), QStringLiteral("Noto Sans CJK TC")};
  QFont::insertSubstitutions(kArial, QStringList{QStringLiteral("Liberation Sans")} + chinese);
  QFont::insertSubstitutions(kMsSansSerif,
                             QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")} + chinese);
  QFont::insertSubstitutions(kMingFace, chinese);
}

QFont WindowFont() { return QFont(kMsSansSerif, 8); }

QFont FrameFont() { return QFont(kArial, 8); }

QFont TreeFont() {
  QFont font(kMingFace);
  font.setPixelSize(12);
  return font;
}

}  // namespace morvane
