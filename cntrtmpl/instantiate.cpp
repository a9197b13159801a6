// The library's instantiations of the edgelet templates: callers see only their declarations.
#include "archivet.h"
#include "regionsett.h"

template class sgContourT<sgEdgelet>;
template class sgRegionT<sgEdgelet>;
template class sgRegionSetT<sgEdgelet>;
