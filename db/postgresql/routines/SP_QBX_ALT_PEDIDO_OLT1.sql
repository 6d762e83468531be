-- Changes an order; the same effect as the embedded procedure of this name.
CREATE FUNCTION SP_QBX_ALT_PEDIDO_OLT1(in_pedido numeric, in_status numeric, in_externo text, in_fornecedor numeric,
                                       in_usuario numeric)
    RETURNS TABLE ("RETORNO" integer, "MSG_RET" text) LANGUAGE plpgsql AS $$
DECLARE
    v_pedido integer := Infra_Inteiro(in_pedido);
    v_status integer := Infra_Inteiro(in_status);
    v_fornecedor integer := Infra_Inteiro(in_fornecedor);
    v_usuario integer := Infra_Inteiro(in_usuario);
BEGIN
    UPDATE PEDIDO SET EMPRESA_ID = 1, TAB_STATUS_ID = 1, NUM_PEDIDO_EXTERNO = in_externo, FORNECEDOR_ID = v_fornecedor
     WHERE PEDIDO_ID = v_pedido;
    INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA)
    VALUES (172, 2, COALESCE(v_usuario, 0), COALESCE(v_pedido, 0), getdate());
    RETURN QUERY SELECT 0, ''::text;
END
$$;
