#pragma once

// defaultProfileFor now lives with the catalogue; include profiles/Catalogue.h instead.
#include "profiles/Catalogue.h"
