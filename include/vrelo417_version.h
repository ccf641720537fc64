/*
 * vrelo417 - the library's version: the one place it is written. The build
 * reads the three numbers from here (CMake, the pkg-config file, the
 * packages); the programs print VRELO_VERSION_STRING. Included by
 * vrelo417.h.
 */
#ifndef VRELO_VRELO417_VERSION_H
#define VRELO_VRELO417_VERSION_H

#define VRELO_VERSION_MAJOR 1
#define VRELO_VERSION_MINOR 0
#define VRELO_VERSION_PATCH 0

/* "MAJOR.MINOR.PATCH", made from the numbers above. */
#define VRELO_QUOTE(text) #text
#define VRELO_EXPAND_AND_QUOTE(text) VRELO_QUOTE(text)
#define VRELO_VERSION_STRING \
    VRELO_EXPAND_AND_QUOTE(VRELO_VERSION_MAJOR.VRELO_VERSION_MINOR.VRELO_VERSION_PATCH)
/* One number that grows with every release: 10000 * major + 100 * minor
 * + patch. */
#define VRELO_VERSION_NUMBER \
    (VRELO_VERSION_MAJOR * 10000 + VRELO_VERSION_MINOR * 100 + VRELO_VERSION_PATCH)

/* The earlier names, for hosts written against them. */
#define VRELO417_VERSION_MAJOR VRELO_VERSION_MAJOR
#define VRELO417_VERSION_MINOR VRELO_VERSION_MINOR
#define VRELO417_VERSION_PATCH VRELO_VERSION_PATCH
#define VRELO417_VERSION_STRING VRELO_VERSION_STRING
#define VRELO417_VERSION_NUMBER VRELO_VERSION_NUMBER

#endif /* VRELO_VRELO417_VERSION_H */
