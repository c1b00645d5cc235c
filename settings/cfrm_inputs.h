// The inputs of the policy dialog, kept from one run to the next in the per-user settings store
// (organization and application "Loomkeep", group "Cfrm", one key per input).
#ifndef SETTINGS_CFRM_INPUTS_H_
#define SETTINGS_CFRM_INPUTS_H_

#include <QVariantMap>

namespace settings {

// The stored inputs; empty when there are none or the store cannot be read.
QVariantMap LoadCfrmInputs();

// Replaces the stored inputs. Returns false when the store could not be written.
bool SaveCfrmInputs(const QVariantMap& inputs);

}  // namespace settings

#endif  // SETTINGS_CFRM_INPUTS_H_
