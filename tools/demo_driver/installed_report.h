// What an installation left in the system, printed for the demo: the product's registry values
// and its three links with their targets.
#pragma once

namespace demo {

void PrintRegistration();

} // namespace demo
