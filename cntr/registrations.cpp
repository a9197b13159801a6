// Factory registrations of the library's persistent classes. They live in one file because
// their order is fixed: static objects of one translation unit are constructed in the order
// they are defined, when the library is loaded and before any caller can use it.
#include <typeinfo>

#include "cntr/cntrtmpl.h"
#include "cntr/contour.h"
#include "cntr/contourdefs.h"
#include "cntr/region.h"
#include "cntr/regionst.h"
#include "randomsource.h"

sg_Instantiator sgContourDefs::EmptyContour::sExemplar(typeid(sgContourDefs::EmptyContour),
                                                       &sgContourDefs::EmptyContour::make);
sg_Instantiator sgContourDefs::EmptyRegionSet::sExemplar(typeid(sgContourDefs::EmptyRegionSet),
                                                         &sgContourDefs::EmptyRegionSet::make);
sg_Instantiator sgContourDefs::BadParams::sExemplar(typeid(sgContourDefs::BadParams),
                                                    &sgContourDefs::BadParams::make);
sg_Instantiator sgContourDefs::RegionCannotBeSetOpen::sExemplar(typeid(sgContourDefs::RegionCannotBeSetOpen),
                                                                &sgContourDefs::RegionCannotBeSetOpen::make);
sg_Instantiator sgContour::sExemplar(typeid(sgContour), &sgContour::make);
sg_Instantiator sgRegion::sExemplar(typeid(sgRegion), &sgRegion::make);
sg_Instantiator sgRegionSet::sExemplar(typeid(sgRegionSet), &sgRegionSet::make);
[[maybe_unused]] static const bool sRandomSourceReady = (sgcntr::initializeRandomSource(), true);
template <>
sgContourT<sgEdgelet>::Instantiator sgContourT<sgEdgelet>::sExemplar{};
template <>
sgRegionT<sgEdgelet>::Instantiator sgRegionT<sgEdgelet>::sExemplar{};
template <>
sgRegionSetT<sgEdgelet>::Instantiator sgRegionSetT<sgEdgelet>::sExemplar{};
