#pragma once

namespace planter {

// True inside Wine (ntdll exports wine_get_version). The planter refuses to work elsewhere:
// it damages the machine it runs on.
bool IsUnderWine();

}  // namespace planter
