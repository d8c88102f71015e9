#include "package/run_settings.hpp"

namespace tessaly {

RunSettings runSettingsFrom(const OptionsStore& store) {
  const Options o = store.snapshot();
  RunSettings s;
  s.record.adjustPrice = o.adjustPrice;
  s.record.pricePercent = o.pricePercent;
  s.record.priceDecimals = o.priceDecimals;
  s.record.unifyStock = o.unifyStock;
  s.record.stockValue = o.stockValue;
  s.record.packageVersion = o.packageVersion == 4 ? 4 : 5;
  s.record.replacements = {{{o.replaceFrom1, o.replaceTo1}, {o.replaceFrom2, o.replaceTo2}, {o.replaceFrom3, o.replaceTo3}}};
  s.downloadDescPictures = o.downloadDescPictures;
  s.hostedPicturesOnly = o.hostedPicturesOnly;
  s.pictureFailureMode = store.activePictureFailureMode();
  return s;
}

}  // namespace tessaly
