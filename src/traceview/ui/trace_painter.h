#pragma once
// The drawing of the plot: grid, curves and the event strip. Each function draws in canvas pixels
// through a painter that the caller has moved to the visible part, from a PaintParams value and
// plain inputs, so the screen and the printed page use the same code.
#include <QImage>
#include <QPainter>
#include <span>

#include "document/document_settings.h"
#include "traceview/event_icons.h"
#include "traceview/view_geometry.h"

/// Where and at what scale the plot is drawn.
struct PaintParams {
  PixelRect grid;                // visible part of the canvas (the client moved by the scroll position)
  PixelSize canvas;              // the whole plot
  double pixelsPerSample = 0.0;  // x of sample i of the current trace: trunc(i x this)
  double pixelsPerDb = 0.0;      // y of v dB: canvas height - trunc((ceiling - v) x this)
};

/// A trace colour as the painters take it.
inline QRgb ToRgb(const TraceColour& colour) { return qRgb(colour.Red, colour.Green, colour.Blue); }

/// The grid's colour.
inline constexpr QRgb kGridColour = qRgb(100, 100, 100);
/// The curve's colour while one trace is shown.
inline constexpr QRgb kSingleTraceColour = qRgb(255, 0, 0);

/// Eleven dotted lines each way at L + W x i / 10 and T + H x i / 10 of the visible part.
void DrawGrid(QPainter& painter, const PaintParams& params);

/// One trace of the overlay.
struct OverlayCurve {
  std::span<const double> db;  // the trace's levels
  double ceilingDb = 0.0;      // the level drawn on the canvas's bottom edge
  double step = 0.0;           // canvas pixels per sample of this trace
  QRgb colour = 0;
  bool current = false;  // the document's trace: drawn 2 pixels wide
  double originX = 0.0;  // canvas x of sample 0 (PlaceOnAxis): the trace's user's zero on the shared axis
};

/// How the overlay is drawn.
struct OverlayStyle {
  bool singleTraceMode = false;  // every curve red and 2 pixels wide
  bool dotted = false;           // one green pixel per sample from sample 1 on
};

/// Draws the curves in order, each over the ones before.
void DrawOverlayTraces(QPainter& painter, const PaintParams& params, std::span<const OverlayCurve> curves,
                       const OverlayStyle& style);

/// One event of the strip.
struct EventMark {
  int type = 0;
  double spliceLossDb = 0.0;
  int sample = 0;  // sample index of the event on the current trace
};

/// The picture of an event kind.
const QImage& EventIconImage(EventIcon icon);

/// Draws each event's number and picture along the bottom of the visible part and records where
/// each number went in g_EventHitX/Y.
void DrawEventIcons(QPainter& painter, const PaintParams& params, std::span<const EventMark> events);
