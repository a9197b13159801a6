#pragma once
// The ten persistent classes of the library, in registration order. The archive fuzzer's seed
// corpus selects a class by its position here, so the order is part of that corpus.
#include <typeinfo>

#include "cntr/cntrtmpl.h"
#include "cntr/contourdefs.h"

inline const std::type_info* const kPersistentClasses[] = {
    &typeid(sgContourDefs::EmptyContour),
    &typeid(sgContourDefs::EmptyRegionSet),
    &typeid(sgContourDefs::BadParams),
    &typeid(sgContourDefs::RegionCannotBeSetOpen),
    &typeid(sgContour),
    &typeid(sgRegion),
    &typeid(sgRegionSet),
    &typeid(sgContourT<sgEdgelet>),
    &typeid(sgRegionT<sgEdgelet>),
    &typeid(sgRegionSetT<sgEdgelet>),
};
