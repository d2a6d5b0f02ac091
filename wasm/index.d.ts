// orvel-wasm: the VekBarcode Orvel reader compiled to WebAssembly.

/** RGBA pixels, rows from the top without padding: an ImageData or the like. */
export interface RgbaPicture {
  readonly data: Uint8ClampedArray | Uint8Array;
  readonly width: number;
  readonly height: number;
}

/** The C++ reader options; missing fields keep the library's defaults. */
export interface ReaderOptions {
  /** Names ("qr_code", "QRCode", "ean13", ...) as an array or one string separated by commas or spaces; none: all. */
  formats?: string[] | string;
  tryHarder?: boolean;
  tryRotate?: boolean;
  tryInvert?: boolean;
  tryDownscale?: boolean;
  isPure?: boolean;
  /** Stop after this many decoded symbols; 0: all. */
  maxSymbols?: number;
  /** Also return symbols that were found but not decoded (isValid false). */
  returnErrors?: boolean;
  binarizer?: 'local' | 'global';
  /** The documented readers with the demonstration program's settings. */
  classic?: boolean;
  minInterleavedDigits?: number;
  eanAddOn?: 'ignore' | 'read' | 'require';
}

export interface Point {
  x: number;
  y: number;
}

/** One symbol, as the C++ entry point reports it. */
export interface ReadResult {
  /** The content as UTF-8 text. */
  text: string;
  /** The content bytes (ECI designators left out; see eciMarks). */
  bytes: Uint8Array;
  /** The library's name: "QRCODE", "EAN13", ... */
  format: string;
  /** The Shape Detection API's name: "qr_code", "ean_13", ...; the lower-case library name where it has none. */
  detectorFormat: string;
  /** The AIM symbology identifier: "]Q1", "]E0", ... */
  symbologyIdentifier: string;
  /** The four corners, clockwise from the symbol's own top-left. */
  position: { topLeft: Point; topRight: Point; bottomRight: Point; bottomLeft: Point };
  /** Degrees clockwise from the picture's x axis to the symbol's top edge. */
  orientation: number;
  isMirrored: boolean;
  isInverted: boolean;
  ecLevel: string;
  eciMarks: { offset: number; eci: number }[];
  /** index -1: not part of a sequence; count -1: unknown. */
  structuredAppend: { index: number; count: number; id: string };
  isValid: boolean;
  error: string;
}

/** Every symbol in the picture; rejects with a TypeError, RangeError or Error that says what is wrong. */
export function readBarcodes(picture: RgbaPicture, options?: ReaderOptions): Promise<ReadResult[]>;

/** The formats this build reads, under the Shape Detection API's names. */
export function supportedFormats(): Promise<string[]>;

/** Every format the library's table names. */
export function knownFormats(): Promise<{ name: string; detectorName: string; identifier: string; linear: boolean }[]>;

/** Loads the module now rather than on first use; `overrides` go to the Emscripten factory (locateFile, wasmBinary). */
export function loadOrvel(overrides?: Record<string, unknown>): Promise<unknown>;

/** Checks an RGBA picture as readBarcodes does and returns its bytes. */
export function checkedPixels(picture: RgbaPicture): Uint8Array;

export type DetectorSource =
  | ImageData
  | ImageBitmap
  | Blob
  | HTMLImageElement
  | HTMLCanvasElement
  | HTMLVideoElement
  | OffscreenCanvas
  | RgbaPicture;

export interface DetectedBarcode {
  boundingBox: DOMRectReadOnly;
  cornerPoints: Point[];
  format: string;
  rawValue: string;
}

export interface BarcodeDetectorOptions {
  formats?: string[];
}

/** The Shape Detection API's BarcodeDetector. */
export class BarcodeDetector {
  constructor(options?: BarcodeDetectorOptions);
  static getSupportedFormats(): Promise<string[]>;
  detect(source: DetectorSource): Promise<DetectedBarcode[]>;
}
