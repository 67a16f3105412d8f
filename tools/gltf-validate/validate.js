#!/usr/bin/env node
// Validates one glTF or GLB file with the Khronos glTF Validator: prints every message and exits
// 1 when the validator reports any error or warning (2 for bad usage or an unreadable file).
'use strict';

const fs = require('fs');
const path = require('path');
const validator = require('gltf-validator');

// The validator's severities: 0 error, 1 warning, 2 information, 3 hint.
const kSeverityNames = ['error', 'warning', 'info', 'hint'];

async function main() {
  if (process.argv.length !== 3) {
    console.error('usage: validate.js FILE.glb');
    return 2;
  }
  const file = process.argv[2];
  let bytes;
  try {
    bytes = fs.readFileSync(file);
  } catch (error) {
    console.error(`cannot read '${file}': ${error.message}`);
    return 2;
  }
  const report = await validator.validateBytes(new Uint8Array(bytes), {
    uri: path.basename(file),
    maxIssues: 0,  // no limit: every message is listed
    // A written file is self-contained: any outside reference is reported as unloadable.
    externalResourceFunction: (uri) => Promise.reject(`external resource '${uri}'`),
  });
  const issues = report.issues;
  for (const message of issues.messages) {
    const where = message.pointer ? ` at ${message.pointer}` : '';
    console.log(`${file}: ${kSeverityNames[message.severity]} ${message.code}${where}: ` +
                `${message.message}`);
  }
  console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ` +
              `${issues.numInfos} infos, ${issues.numHints} hints (validator ${report.validatorVersion})`);
  return issues.numErrors > 0 || issues.numWarnings > 0 ? 1 : 0;
}

main().then(
    (code) => process.exit(code),
    (error) => {
      console.error(`cannot validate '${process.argv[2]}': ${error}`);
      process.exit(2);
    });
