// Types of zolm-converter: Zolm Converter's engine as an ES module.

/** The four rows that convert, each the source of its own Convert. */
export type Row = "custom" | "hex" | "ascii" | "decimal";

/** A row's name, or the radix field's. */
export type Field = Row | "radix";

/** The five texts by name: the four rows and the radix. */
export type Rows = Record<Field, string>;

/** What a failed Convert reports. */
export interface ConvertError {
  /** The run-time error's number: 5, 6, 11 or 13. */
  number: 5 | 6 | 11 | 13;
  /** Its standard description: "Overflow", "Type mismatch", ... */
  description: string;
  /** The row or field where it struck; null when the error names none. */
  row: Field | null;
  /** The failing text in that row (a code, or the whole row or radix). */
  code: string;
  /** Where `code` starts in the row's text, in UTF-16 units. */
  start: number;
  /** Its length, in UTF-16 units. */
  length: number;
  /** The whole report, as the window shows it. */
  report: string;
}

/** The texts a Convert left, and its failure or null. */
export interface ConvertResult {
  rows: Rows;
  error: ConvertError | null;
}

export interface Converter {
  /**
   * Runs the Convert of `row` on `rows`: the row is trimmed and the other
   * three are written from it. A row left out holds what a new window shows.
   * A failure leaves the rows as the command left them and is reported in
   * `error`; it never throws for one.
   * @throws {RangeError} when `row` is not one of the four rows.
   * @throws {TypeError} when `rows` is not an object of known names with
   * string texts.
   */
  convert(row: Row, rows?: Partial<Rows>): ConvertResult;
  /**
   * The codes the caret or selection [start, end) of `row` covers (UTF-16
   * units; a caret on a space or at the row's end belongs to the code on
   * its left), as [start, end) in each row of `rows`, which a Convert has
   * linked code by code; null for a row holding none of them. Null when
   * `row` has no codes.
   * @throws {RangeError} when `row` is not one of the four rows.
   * @throws {TypeError} as convert does for `rows`, or for positions that
   * are not whole numbers.
   */
  codeRanges(
    rows: Partial<Rows>,
    row: Row,
    start: number,
    end?: number,
  ): Record<Row, [number, number] | null> | null;
}

/** A converter with an engine of its own; its calls run one at a time. */
export function createConverter(): Promise<Converter>;
