#pragma once

#include <optional>
#include <string>

#include <QColor>
#include <QPalette>

class QWidget;

namespace tidyframe {

// The panel's colours in one appearance. The panel sets `qtPalette()` on itself, so every
// component finds its appearance through `of(widget)` without being handed it.
struct Palette {
  bool dark = false;
  QColor accent;
  QColor text;
  QColor secondary;
  QColor background;
  // A card's fill: nearly clear in the dark, a milky white in the light.
  QColor card;
  QColor line;
  // Orange text for the engine's messages, at least 4.5:1 against the background and a card.
  QColor warning;
  // A switch's track when off: at least 3:1 against the background, a card and the white knob.
  QColor offTrack;
  // The outline of a button, picker or text field: at least 3:1 against the background.
  QColor boundary;

  static const Palette& light();
  static const Palette& darkPalette();
  // "light" or "dark" choose; anything else follows the lightness of `platform`.
  static const Palette& forScheme(const std::optional<std::string>& scheme, const QPalette& platform);
  // The appearance a widget inside the panel is shown in.
  static const Palette& of(const QWidget& widget);

  QPalette qtPalette() const;
};

}  // namespace tidyframe
