#pragma once

struct AVStream;

// The turn, clockwise in degrees, that players give a video stream's picture to show it upright:
// 0, 90, 180 or 270. It comes from the stream's display matrix, as phones write it, or else from
// the "rotate" tag that older tools wrote. A turn between quarters goes to the nearest quarter.
int PictureRotation(const AVStream *stream);
