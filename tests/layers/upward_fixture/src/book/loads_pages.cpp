// A deliberate upward include: the layer check must refuse this file.
#include "book/cebook.h"
#include "pages/about_page.h"
