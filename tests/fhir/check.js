#!/usr/bin/env node
// Checks Kelvora's card exports with validators that share no code with the program:
// each FHIR bundle with the `fhir` package (value sets, cardinalities) and with the R4 JSON
// schema (structure, date and code patterns); each card record with the project's JSON Schema.
// Usage: check.js --schema SCHEMA [--json FILE...] [--fhir FILE...]
// Prints every error and one summary line per file; exits 1 when any error was found.
'use strict';

const fs = require('fs');
const path = require('path');

function parseArguments(argv) {
    const files = { json: [], fhir: [] };
    let schema = null;
    let kind = null;
    for (let i = 0; i < argv.length; ++i) {
        const a = argv[i];
        if (a === '--schema') {
            schema = argv[++i];
        } else if (a === '--json' || a === '--fhir') {
            kind = a.slice(2);
        } else if (kind !== null) {
            files[kind].push(a);
        } else {
            throw new Error(`unexpected argument ${a}`);
        }
    }
    if (files.json.length > 0 && schema === null)
        throw new Error('--json needs --schema');
    if (files.json.length + files.fhir.length === 0)
        throw new Error('no file to check');
    return { schema, files };
}

function readJson(file) {
    return JSON.parse(fs.readFileSync(file === '-' ? 0 : file, 'utf8'));
}

function recordValidator(schemaFile) {
    const Ajv = require('ajv');
    const addFormats = require('ajv-formats');
    const ajv = new Ajv({ allErrors: true, strict: true });
    addFormats(ajv);
    const validate = ajv.compile(readJson(schemaFile));
    return (doc) => (validate(doc) ? [] : validate.errors.map((e) => `${e.instancePath || '/'} ${e.message}`));
}

function fhirValidators() {
    const { Fhir } = require('fhir');
    const JSONSchemaValidator = require('@asymmetrik/fhir-json-schema-validator');
    const fhir = new Fhir();
    const r4Schema = new JSONSchemaValidator();
    return {
        fhir: (doc) =>
            fhir
                .validate(doc, { errorOnUnexpected: true })
                .messages.filter((m) => m.severity === 'error')
                .map((m) => `${m.location}: ${m.message}`),
        // Each resource of a bundle on its own first: checked inside the whole bundle, one
        // fault comes back as a failed match against every resource type.
        'schema R4': (doc) => {
            const describe = (where, errors) =>
                errors.map((e) => `${where}${e.dataPath || ''} ${e.message}`);
            const inner = (doc.entry || []).flatMap((entry, i) =>
                describe(`entry[${i}].resource`, r4Schema.validate(entry.resource || {})));
            if (inner.length > 0)
                return inner;
            return [...new Set(describe(doc.resourceType, r4Schema.validate(doc)))];
        },
    };
}

function main() {
    const { schema, files } = parseArguments(process.argv.slice(2));
    let errors = 0;
    const report = (file, name, found) => {
        errors += found.length;
        for (const e of found) console.log(`${file}: ${name}: ${e}`);
        return `${name} ${found.length} erreur(s)`;
    };
    if (files.json.length > 0) {
        const check = recordValidator(schema);
        for (const file of files.json)
            console.log(`${file}: ${report(file, 'schéma ' + path.basename(schema), check(readJson(file)))}`);
    }
    if (files.fhir.length > 0) {
        const checks = fhirValidators();
        for (const file of files.fhir) {
            const doc = readJson(file);
            const parts = Object.entries(checks).map(([name, check]) => report(file, name, check(doc)));
            console.log(`${file}: ${parts.join(', ')}`);
        }
    }
    process.exitCode = errors === 0 ? 0 : 1;
}

try {
    main();
} catch (e) {
    console.log(`check.js: ${e.message}`);
    process.exitCode = 2;
}
