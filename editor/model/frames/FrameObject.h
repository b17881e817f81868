#pragma once
// One frame of the edited animation: its library images, place and timing on the logical screen,
// name and comment, selection state and its optional object sources.

#include <cstdint>
#include <string>

#include "Bitra5.h"
#include "ObjectRecords.h"

class CObjFrame {
public:
    CObjFrame();
    // Takes the FrameInfo fields after the image handle; records are deep-copied.
    CObjFrame(std::uint16_t image, int width, int height, int left, int top, int delay,
              int disposal, std::uint32_t transparency, const char* name, const char* comment,
              const TextObjectRecord* text, const ControlObjectRecord* control,
              const VectorObjectRecord* vector, const NPImageObjectRecord* npImage, int softAlpha);
    CObjFrame(const CObjFrame& other);
    CObjFrame& operator=(const CObjFrame& other);
    ~CObjFrame();

    // Deletes the three images and the object sources.
    void FreeContents();

    std::int32_t GetID() const { return id_; }
    // Gives the frame an id no other frame has (a copy keeps its source's id until then).
    void TakeNewId();
    std::uint16_t SetImage(std::uint16_t image);
    std::uint16_t GetImage() const { return image_; }
    std::uint16_t SetRenderedImage(std::uint16_t image);
    std::uint16_t GetRenderedImage() const { return renderedImage_; }
    std::uint16_t SetMaskImage(std::uint16_t image);
    std::uint16_t GetMaskImage() const { return maskImage_; }
    // The base image unless an object source or soft alpha asks for the rendered one.
    std::uint16_t GetDisplayImage() const;

    // Object sources. The Set operations copy the record; they neither set the has-flag nor free
    // a previous record (callers delete first and set the flag).
    void SetTextObject(const TextObjectRecord& record);
    void GetTextObject(TextObjectRecord& out) const;
    void DeleteTextObject();
    void SetTextAngle(int degrees);
    int GetTextAngle() const;
    void FlipTextObject(int flags);

    void SetControlObject(const ControlObjectRecord& record);
    void GetControlObject(ControlObjectRecord& out) const;
    void DeleteControlObject();

    void SetVectorObject(const VectorObjectRecord& record);
    void GetVectorObject(VectorObjectRecord& out) const;
    void DeleteVectorObject();
    void SetVectorAngle(int degrees);
    int GetVectorAngle() const;
    void FlipVectorObject(int flags);
    int IsVectorMirrored() const;

    void SetNPImageObject(const NPImageObjectRecord& record);
    void GetNPImageObject(NPImageObjectRecord& out) const;
    void DeleteNPImageObject();

    // Puts the frame's information into its rendered image (useRendered and one exists) or base
    // image; returns the library's result.
    int PutFrameInfo(int useRendered);
    // The base image's information with copies of its objects; free with FreeFrameParts.
    int GetFrameInfo(FrameInfo& out) const;
    // Takes position, timing, names and objects from the base image's information.
    void UpdateFromImageInfo();
    // A FrameInfo from the frame alone, with heap copies; free with FreeFrameParts.
    void MakeFrameInfo(FrameInfo& out) const;

    // Equality of what the undo history compares (not images other than the base handle, nor
    // selection, current or marked flags).
    bool IsEqual(const CObjFrame& other) const;

    // Plain fields, named as the model's other units use them.
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t delay = 0;
    std::int32_t disposal = 1;
    std::uint32_t transparency = 0; // 0x01000000 + index, or 0
    std::string name;
    std::string comment;
    std::int32_t selected = 0;
    std::int32_t current = 0;
    std::int32_t reserved1 = 0;
    std::int32_t reserved2 = 0;
    std::int32_t marked = 0;
    std::int32_t optimised = 0;
    std::int32_t hasText = 0;
    TextObjectRecord text;
    std::int32_t hasControl = 0;
    ControlObjectRecord control;
    std::int32_t hasVector = 0;
    VectorObjectRecord vector;
    std::int32_t softAlpha = 0;
    std::int32_t alphaValue = 0;
    std::int32_t hasNPImage = 0;
    NPImageObjectRecord npImage;
    // 1 while the frame shows the picture it was read with and its object records are the ones
    // read with it (nothing has rendered the objects since): a save writes those records back
    // as they are, since the frame's place is that of the clipped picture, not the object's.
    std::int32_t objectsAsRead = 0;

    // Disposal methods 0 and 4 are never kept: 0 becomes 1, 4 becomes 3.
    static std::int32_t NormalizeDisposal(std::int32_t disposal);

private:
    void copyFrom(const CObjFrame& other);
    // The frame's information with pointers to its own strings and records (valid while the
    // frame is unchanged).
    FrameInfo infoFromFrame();

    std::int32_t id_ = 0;
    std::uint16_t image_ = 0;
    std::uint16_t renderedImage_ = 0;
    std::uint16_t maskImage_ = 0;
};

// Frees the heap parts of a FrameInfo filled by the library or MakeFrameInfo, selected by mask
// bits (0 = all): 1 name, 2 comment, 4 text, 8 control, 16 vector, 32 np-image. Freed pointers
// become null, so a second call frees nothing.
void FreeFrameParts(FrameInfo& info, int mask);

// The text dialog's road into a frame: the old text object is cleared, the record copied in.
void HandTextObjectToFrame(CObjFrame& frame, const TextObjectRecord& record);
