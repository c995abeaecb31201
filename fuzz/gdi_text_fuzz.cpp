// GDI text: a font from any LOGFONTA the input spells out, on a surface of any depth and a
// size from the input, then text calls with any bytes and lengths within the buffer, any
// position, colours and background mode.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using vantor::fuzz::ByteStream;
    vantor::fuzz::StartPlatform();
    ByteStream in(data, size);
    static const int kDepths[] = {8, 16, 24, 32};
    const int depth = kDepths[in.Below(4)];
    const int width = 1 + int(in.Take<uint16_t>() % 700), height = 1 + int(in.Take<uint8_t>());
    LOGFONTA record = in.Take<LOGFONTA>();
    HWND window = vantor::fuzz::MakeWindow();
    vantor::fuzz::TextSurface canvas;
    if (canvas.Open(window, depth, width, height)) {
        HFONT font = CreateFontIndirectA(&record);
        HGDIOBJ previous = SelectObject(canvas.dc, font);
        for (int calls = 0; !in.Empty() && calls < 16; ++calls) {
            const std::string text = in.Bytes(255);
            const int length = int(in.Below(uint32_t(text.size()) + 1));
            switch (in.Below(6)) {
                case 0: SetTextColor(canvas.dc, in.Take<COLORREF>()); break;
                case 1: SetBkColor(canvas.dc, in.Take<COLORREF>()); break;
                case 2: SetBkMode(canvas.dc, int(in.Below(4))); break;
                case 3: {
                    SIZE extent;
                    GetTextExtentPoint32A(canvas.dc, text.data(), length, &extent);
                    TEXTMETRICA metrics;
                    GetTextMetricsA(canvas.dc, &metrics);
                    char face[LF_FACESIZE];
                    GetTextFaceA(canvas.dc, int(in.Below(LF_FACESIZE + 1)), face);
                    break;
                }
                default:
                    TextOutA(canvas.dc, in.Coordinate(), in.Coordinate(), text.data(), length);
                    break;
            }
        }
        SelectObject(canvas.dc, previous);
        DeleteObject(font);
    }
    canvas.Close();
    DestroyWindow(window);
    vantor::fuzz::FinishInput("gdi_text");
    return 0;
}
