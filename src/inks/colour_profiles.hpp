// Little CMS 2 at the renderer's edges: the input profile (a file or one
// in memory) and the printer profile read and checked, the colour of a
// point of the input's cube, the inks a printer profile gives for a
// colour, and the renderer's own printer profile written as ICC.
#ifndef VRELO_INKS_COLOUR_PROFILES_HPP
#define VRELO_INKS_COLOUR_PROFILES_HPP

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "colour_space.hpp"
#include "ink_recipe.hpp"

namespace vrelo_inks {

class ToneSolver;

// An open ICC profile; closed with the object.
class Profile {
  public:
    Profile() = default;
    ~Profile();
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;
    // From a file or from memory; false with *error naming the profile
    // (what) and what is wrong.
    bool open_file(const char* path, const std::string& what, std::string* error);
    bool open_memory(const void* data, size_t size, const std::string& what, std::string* error);
    void* handle() const { return handle_; }
    int channels() const;
    bool is_output() const;
    // Its description, in ASCII ("" if it has none).
    std::string description() const;
    std::string name() const { return name_; }

  private:
    bool check(const std::string& what, std::string* error);
    void* handle_ = nullptr;
    std::string name_;
};

// Input colours to CIELAB (relative to the media white), through the
// input profile, or sRGB's formulas when there is none.
class InputColour {
  public:
    // input: VRELO_INKS_RGB or another kind; profile may be null.
    InputColour(const Profile* profile, int intent);
    ~InputColour();
    InputColour(const InputColour&) = delete;
    InputColour& operator=(const InputColour&) = delete;
    bool ready() const { return profile_ == nullptr || transform_ != nullptr; }
    Lab lab(double r, double g, double b) const;  // each 0..1

  private:
    const Profile* profile_;
    void* transform_ = nullptr;
};

// A whole line of grey or CMYK through its input profile to 16-bit sRGB,
// the space the separation grid is built over for those inputs.
class LineToSrgb {
  public:
    // input kind and sampleBits as in the options.
    LineToSrgb(const Profile& profile, int input, int sampleBits, int intent);
    ~LineToSrgb();
    LineToSrgb(const LineToSrgb&) = delete;
    LineToSrgb& operator=(const LineToSrgb&) = delete;
    bool ready() const { return transform_ != nullptr; }
    void convert(const void* samples, uint16_t* rgb, int32_t pixels) const;

  private:
    void* transform_ = nullptr;
};

// A printer profile's inks for a colour: six channels in the order
// K Y M C m c, or CMYK split by the recipe; then the media's limits.
class PrinterInks {
  public:
    PrinterInks(const Profile& profile, const InkRecipe& recipe, int intent);
    ~PrinterInks();
    PrinterInks(const PrinterInks&) = delete;
    PrinterInks& operator=(const PrinterInks&) = delete;
    bool ready() const { return transform_ != nullptr; }
    Inks inks(const Lab& lab) const;

  private:
    const InkRecipe& recipe_;
    int channels_;
    void* transform_ = nullptr;
};

// The renderer's own printer profile for a media (output class, Lab to
// K Y M C m c and back) into a file; false with *error. Its description
// is own_profile_description(media): a renderer given it as the printer
// profile knows it as its own.
bool write_own_profile(int media, const InkRecipe& recipe, const ToneSolver& solver,
                       const char* path, std::string* error);
std::string own_profile_description(int media);

}  // namespace vrelo_inks

#endif
