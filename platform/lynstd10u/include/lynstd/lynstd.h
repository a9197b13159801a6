#pragma once
// Everything the foundation offers.
#include "lynstd/archive.h"
#include "lynstd/basics.h"
#include "lynstd/exceptions.h"
#include "lynstd/fit.h"
#include "lynstd/handle.h"
#include "lynstd/matrix.h"
#include "lynstd/persistent.h"
#include "lynstd/shapes.h"
#include "lynstd/thread.h"
#include "lynstd/vector.h"
#include "lynstd/xform.h"
#include "lynstd/xformbase.h"
