// vrelo-profile: writes the renderer's own printer profile for a media as
// an ICC file, the profile the renderer uses when none is given; for
// shipping beside the PPD and for colour-managed applications.
#include <cstdio>
#include <cstring>

#include "print_quality.hpp"
#include "vrelo417_inks.h"

int main(int argc, char** argv) {
    int media = 0;
    if (argc != 3 || !vrelo_tools::parse_media(argv[1], &media)) {
        std::fputs("usage: vrelo-profile plain|photo FILE.icc\n", stderr);
        return 2;
    }
    char message[VRELO_INKS_MESSAGE_SIZE];
    if (vrelo_inks_write_profile(media, argv[2], message, sizeof message) != VRELO_INKS_OK) {
        std::fprintf(stderr, "vrelo-profile: %s\n", message);
        return 1;
    }
    return 0;
}
